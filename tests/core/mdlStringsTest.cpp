#include "core/mdlStrings.h"
#include "core/mdlStringsTable.h"

#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// MD5 of the UTF-16LE bytes of "Firmware version", worked out independently.
constexpr char FirmwareVersionKey[] = "16C741CDC495CE0B80BD4B8615019649";

void writeStrings(const TempProgramFolder &folder, const QByteArray &lines)
{
    folder.write(QStringLiteral("Strings.ini"), "[Translation]\r\n" + lines);
}

}  // namespace

TEST(mdlStrings, BuiltInTableHoldsEveryTextOnce)
{
    ASSERT_EQ(mdlStrings::BuiltInTexts.size(), 405u);
    int32_t previous = 0;
    for (const auto &entry : mdlStrings::BuiltInTexts) {
        EXPECT_GT(entry.id, previous);
        previous = entry.id;
    }
    EXPECT_EQ(mdlStrings::BuiltInTexts.front().id, 1);
    EXPECT_EQ(mdlStrings::BuiltInTexts.back().id, 439);
}

TEST(mdlStrings, DefaultTextsKeepTheirExactWording)
{
    const struct {
        int32_t id;
        const char *text;
    } cases[] = {
        {1, "&About"},
        {12, "°C"},
        {70, "m/s²"},
        {144, "Login succeded"},
        {158, "Varix Settings File"},
        {256, "Displacement (µm)"},
        {310, "Clock set: current year is "},
        {311, "The device connected is a Varix V4 and is not supported by this software."},
        {372, "Can not connect to ZEM Ethernet "},
        {377, "Collision event. Value (m/s²): "},
        {392, "Looking on %1 at %2 baud ..."},
        {439, "All"},
        {2, ""},
        {346, ""},
        {440, ""},
        {0, ""},
        {-1, ""},
        {1000, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(mdlStrings::DefaultText(c.id), QString::fromUtf8(c.text)) << c.id;
}

TEST(mdlStrings, TranslateByNumberWithoutStringsIni)
{
    TempProgramFolder folder;
    EXPECT_EQ(mdlStrings::Translate(txt::LoginSucceeded), "Login succeded");
    EXPECT_EQ(mdlStrings::Translate(QStringLiteral("2")), "");
    EXPECT_EQ(mdlStrings::Translate(QStringLiteral(" 144 ")), "Login succeded");
}

TEST(mdlStrings, StringsIniReplacesNonEmptyTranslations)
{
    TempProgramFolder folder;
    writeStrings(folder, "K144=Accesso eseguito\r\nK145=\r\nK2=Vuoto\r\n");
    EXPECT_EQ(mdlStrings::Translate(txt::LoginSucceeded), "Accesso eseguito");
    EXPECT_EQ(mdlStrings::Translate(txt::InvalidPassword), "Invalid password");
    EXPECT_EQ(mdlStrings::Translate(QStringLiteral("2")), "Vuoto");
}

TEST(mdlStrings, InstalledStringsIniServesUntilTheUserHasOne)
{
    TempProgramFolder folder;
    QTemporaryDir install;
    const QString bin = install.filePath(QStringLiteral("bin"));
    QDir().mkpath(install.filePath(QStringLiteral("share/varix-console")));
    platform::setProgramFolderForTests(folder.path(), QStringLiteral("varix-console"), bin);
    QFile shared(install.filePath(QStringLiteral("share/varix-console/Strings.ini")));
    ASSERT_TRUE(shared.open(QIODevice::WriteOnly));
    shared.write("[Translation]\r\nK144=Installiert\r\n");
    shared.close();
    EXPECT_EQ(mdlStrings::Translate(txt::LoginSucceeded), "Installiert");
    writeStrings(folder, "K145=Eigenes\r\n");
    EXPECT_EQ(mdlStrings::Translate(txt::LoginSucceeded), "Login succeded");
    EXPECT_EQ(mdlStrings::Translate(txt::InvalidPassword), "Eigenes");
}

TEST(mdlStrings, TranslateByTextUsesItsMd5Key)
{
    TempProgramFolder folder;
    EXPECT_EQ(mdlStrings::Translate(QStringLiteral("Firmware version")), "Firmware version");
    writeStrings(folder, QByteArray(FirmwareVersionKey) + "=Versione firmware\r\n");
    EXPECT_EQ(mdlStrings::Translate(QStringLiteral("Firmware version")), "Versione firmware");
    EXPECT_EQ(mdlStrings::Translate(QStringLiteral("Collision limit (module)")), "Collision limit (module)");
}

TEST(mdlStrings, CatalogueTextsNeverReadStringsIni)
{
    TempProgramFolder folder;
    writeStrings(folder, "K1240=Wrong\r\nK1241=Wrong\r\nK240=Wrong\r\n");
    EXPECT_EQ(mdlStrings::CatalogueText(1240), "Kinetic Vibration Relay");
    EXPECT_EQ(mdlStrings::CatalogueText(1242), "Kinetic Vibration Relay");
    const QString description = mdlStrings::CatalogueText(1241);
    EXPECT_FALSE(description.isEmpty());
    EXPECT_NE(description, "Wrong");
    EXPECT_EQ(mdlStrings::CatalogueText(1243), description);
    // A catalogue row without texts gives an empty text rather than failing.
    EXPECT_EQ(mdlStrings::CatalogueText(1010), "");
    EXPECT_EQ(mdlStrings::CatalogueText(1890), "");
}
