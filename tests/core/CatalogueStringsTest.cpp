#include "core/ResourceStrings.h"

#include "platform/Error.h"

#include <QMap>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Flags and download baud rates of every catalogue row the program carries.
QMap<int, QString> expectedFlags()
{
    const std::pair<const char *, std::vector<int>> groups[] = {
        {"01", {26}},
        {"02", {22, 25, 81, 83, 84, 86, 87}},
        {"04", {10, 12, 14, 18}},
        {"06", {13, 15, 19, 23, 27, 37, 43, 46, 78, 79, 80}},
        {"07", {35, 44, 50}},
        {"12", {6, 7}},
        {"14", {8, 9, 16}},
        {"16", {20, 21, 24, 28, 36, 39, 40, 42, 45, 51, 53, 54, 55, 56}},
        {"30", {52, 82, 85}},
    };
    QMap<int, QString> flags;
    for (const auto &[hex, rows] : groups) {
        for (int row : rows)
            flags.insert(row, QString::fromLatin1(hex));
    }
    return flags;
}

}  // namespace

TEST(CatalogueStrings, RowsFlagsAndBaudRates)
{
    const QMap<int, QString> flags = expectedFlags();
    ASSERT_EQ(flags.size(), 48);
    const QMap<int, int> bauds = {{6, 19200}, {7, 19200}, {45, 19200}, {28, 28800}, {84, 28800}, {87, 28800}};
    for (int k = 0; k <= 88; ++k) {
        const auto name = resources::findString(10 * k);
        const auto description = resources::findString(10 * k + 1);
        const auto flagText = resources::findString(10 * k + 3);
        const auto baud = resources::findString(10 * k + 4);
        if (!flags.contains(k)) {
            EXPECT_FALSE(name || description || flagText || baud) << "row " << k;
            continue;
        }
        ASSERT_TRUE(name && description && flagText) << "row " << k;
        EXPECT_FALSE(name->isEmpty());
        EXPECT_FALSE(description->isEmpty());
        EXPECT_EQ(*flagText, flags.value(k)) << "row " << k;
        if (bauds.contains(k))
            EXPECT_EQ(baud.value_or(QString()), QString::number(bauds.value(k))) << "row " << k;
        else
            EXPECT_FALSE(baud) << "row " << k;
    }
    EXPECT_EQ(resources::loadString(240), "Kinetic Vibration Relay");
}

TEST(CatalogueStrings, MissingStringFailsInTheLoader)
{
    try {
        resources::loadString(13);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error &error) {
        EXPECT_EQ(error.number(), resources::ErrResourceNotFound);
    }
}
