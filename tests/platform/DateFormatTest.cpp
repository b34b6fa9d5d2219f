#include "platform/Runtime.h"

#include <gtest/gtest.h>

namespace runtime = platform::runtime;

namespace {

const QDateTime Morning(QDate(2026, 12, 6), QTime(8, 37, 56));

class DateFormatTest : public ::testing::Test {
protected:
    void SetUp() override { useLocale(QLocale::English, QLocale::UnitedStates); }
    void TearDown() override { runtime::setUserLocaleForTests(std::nullopt); }
    static void useLocale(QLocale::Language language, QLocale::Country country)
    {
        runtime::setUserLocaleForTests(QLocale(language, country));
    }
};

TEST_F(DateFormatTest, PatternsTheProgramUses)
{
    const struct {
        const char *pattern;
        const char *text;
    } cases[] = {
        {"dd/mm/yyyy hh.mm.ss", "06/12/2026 08.37.56"},
        {"dd/mm/yy hh:mm:ss", "06/12/26 08:37:56"},
        {"HH:MM:SS", "08:37:56"},  // m after h is minutes, in either case
        {"mm:ss", "37:56"},        // and before seconds
        {"d/m/yyyy h:n:s", "6/12/2026 8:37:56"},
        {"mmm mmmm ddd dddd", "Dec December Sun Sunday"},
        {"y", "340"},
        {"\"Day\" d \\d", "Day 6 d"},
        {"yyyy-mm-dd", "2026-12-06"},
        {"Short Time", "08:37"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(runtime::formatDate(Morning, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.text)) << c.pattern;
    EXPECT_EQ(runtime::formatDate(QDateTime(QDate(2026, 1, 5), QTime(7, 3, 9)), "d/m/yyyy h:n:s"), "5/1/2026 7:3:9");
}

TEST_F(DateFormatTest, SeparatorsAndNamedFormatsFollowTheLocale)
{
    EXPECT_EQ(runtime::formatDate(Morning, "General Date"), "12/6/2026 8:37:56 AM");
    EXPECT_EQ(runtime::formatDate(QDateTime(Morning.date(), QTime(0, 0)), "General Date"), "12/6/2026");
    EXPECT_EQ(runtime::formatDate(Morning, "Short Date"), "12/6/2026");
    useLocale(QLocale::German, QLocale::Germany);
    EXPECT_EQ(runtime::formatDate(Morning, "dd/mm/yyyy hh.mm.ss"), "06.12.2026 08.37.56");
    EXPECT_EQ(runtime::formatDate(Morning, "General Date"), "06.12.2026 08:37:56");
    EXPECT_EQ(runtime::formatDate(Morning, "Long Time"), "08:37:56");
    EXPECT_EQ(runtime::formatDate(QDateTime(), "General Date"), "");
}

TEST_F(DateFormatTest, SerialNumbersAsHoursOfADay)
{
    // Fractions of a day held in single precision, as hour counters are shown.
    const struct {
        float fraction;
        const char *text;
    } cases[] = {{0.5f / 24, "00:30:00"},    {0.25f / 24, "00:15:00"}, {0.75f / 24, "00:45:00"},
                 {1.0f / 86400, "00:00:01"}, {0.9999999f, "00:00:00"}, {0.5f, "12:00:00"}};
    for (const auto &c : cases)
        EXPECT_EQ(runtime::formatDate(static_cast<double>(c.fraction), "HH:MM:SS"), QString::fromUtf8(c.text))
            << c.fraction;
    EXPECT_EQ(runtime::formatDate(46362.75, "dd/mm/yyyy hh:mm"), "06/12/2026 18:00");
    EXPECT_EQ(runtime::formatDate(0.0, "General Date"), "12:00:00 AM");
    EXPECT_EQ(runtime::formatDate(std::numeric_limits<double>::quiet_NaN(), "HH:MM:SS"), "");
}

TEST_F(DateFormatTest, TypedDatesAreRead)
{
    const struct {
        const char *text;
        QDateTime expected;
    } valid[] = {
        {"12/6/2026 8:37:56 AM", Morning},
        {"12/6/2026 8:37:56 PM", QDateTime(QDate(2026, 12, 6), QTime(20, 37, 56))},
        {"12/6/2026 12:00 AM", QDateTime(QDate(2026, 12, 6), QTime(0, 0))},
        {"12/6/2026", QDateTime(QDate(2026, 12, 6), QTime(0, 0))},
        {"2026-12-06 08:37", QDateTime(QDate(2026, 12, 6), QTime(8, 37))},
        {" 2/29/24 13:05:09 ", QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9))},
        {"1/1/75", QDateTime(QDate(1975, 1, 1), QTime(0, 0))},
    };
    for (const auto &c : valid)
        EXPECT_EQ(runtime::parseDate(QString::fromUtf8(c.text)), std::optional<QDateTime>(c.expected)) << c.text;
    const char *invalid[] = {"",
                             "abc",
                             "8:37",
                             "2/30/2026",
                             "13/1/2026",
                             "12/6/2026 25:00",
                             "12/6/2026 13:00 PM",
                             "12/6/2026 8:61",
                             "12/6/2026 8:37 xyz",
                             "12/6"};
    for (const char *text : invalid)
        EXPECT_FALSE(runtime::parseDate(QString::fromUtf8(text)).has_value()) << text;

    useLocale(QLocale::German, QLocale::Germany);
    EXPECT_EQ(runtime::parseDate("06.12.2026 08:37:56"), std::optional<QDateTime>(Morning));
    EXPECT_FALSE(runtime::parseDate("12/31/2026").has_value());
}

TEST_F(DateFormatTest, GeneralDateReadsBack)
{
    const QDateTime when(QDate(2031, 7, 4), QTime(23, 59, 58));
    for (const auto &[language, country] :
         {std::pair{QLocale::English, QLocale::UnitedStates}, std::pair{QLocale::German, QLocale::Germany},
          std::pair{QLocale::English, QLocale::UnitedKingdom}, std::pair{QLocale::Japanese, QLocale::Japan}}) {
        useLocale(language, country);
        const QString text = runtime::formatDate(when, "General Date");
        EXPECT_EQ(runtime::parseDate(text), std::optional<QDateTime>(when)) << text.toStdString();
    }
}

}  // namespace
