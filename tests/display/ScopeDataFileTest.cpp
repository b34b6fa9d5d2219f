#include "display/ScopeDataFile.h"
#include "platform/Error.h"
#include "platform/Runtime.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

ScopeDataFile::Contents readText(const QByteArray &text, int32_t ringSlots = 1000)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return ScopeDataFile::read(buffer, ringSlots);
}

const QByteArray Header = "; Varix Log Files - 06/12/2026 08.43.07\r\n"
                          "; Application: KVR - Sampling rate: 1000 Samples per second\r\n"
                          "\r\n"
                          "; X\tTrigger\r\n";

}  // namespace

TEST(ScopeDataFile, HeaderLinesFollowTheFileLayout)
{
    const QStringList lines =
        ScopeDataFile::headerLines(QStringLiteral(";"), QDateTime(QDate(2026, 12, 6), QTime(8, 43, 7)),
                                   QStringLiteral("KVR"), 500, {QStringLiteral("X"), QStringLiteral("Y")});
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("; Varix Log Files - "))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("06/12/2026 08.43.07"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("; Application: KVR - Sampling rate: 500 Samples per second"));
    EXPECT_EQ(lines[2], QString());
    // One blank after the comment character, none before the first tag.
    EXPECT_EQ(lines[3], QStringLiteral("; X\tY\tTrigger"));
}

TEST(ScopeDataFile, HeaderWithoutTracksNamesOnlyTheTriggerColumn)
{
    const QStringList lines = ScopeDataFile::headerLines(QString(), QDateTime::currentDateTime(), QString(), 1000, {});
    EXPECT_EQ(lines[3], QStringLiteral(" Trigger"));
}

TEST(ScopeDataFile, RowsEndWithTheTriggerFieldAndNoTab)
{
    EXPECT_EQ(ScopeDataFile::dataRow({1.5f, -0.25f}, true, QStringLiteral("0.000E+00")),
              QStringLiteral("1.500E+00\t-2.500E-01\t1"));
    EXPECT_EQ(ScopeDataFile::dataRow({0.1f}, false, QStringLiteral("0.00")), QStringLiteral("0.10\t0"));
    EXPECT_EQ(ScopeDataFile::dataRow({}, false, QStringLiteral("0.00")), QStringLiteral("0"));
}

TEST(ScopeDataFile, ReadsTracksRowsAndTitle)
{
    const auto contents = readText(Header + "1.000E+00\t0\r\n-2.5\t1\r\n3\t0\r\n");
    EXPECT_EQ(contents.title, QStringLiteral("; Varix Log Files - 06/12/2026 08.43.07 - "
                                             "; Application: KVR - Sampling rate: 1000 Samples per second"));
    ASSERT_EQ(contents.columns.size(), 1u);
    EXPECT_EQ(contents.rows, 3);
    EXPECT_EQ(contents.columns[0], (std::vector<float>{1.0f, -2.5f, 3.0f}));
}

TEST(ScopeDataFile, ColumnsAreCountedFromTheFirstDataLineAndExtraFieldsIgnored)
{
    const auto contents = readText(Header + "1\t2\t3\t4\t0\n5\t6\t7\t8\t1\textra\n");
    ASSERT_EQ(contents.columns.size(), 4u);
    EXPECT_EQ(contents.columns[3], (std::vector<float>{4.0f, 8.0f}));
}

TEST(ScopeDataFile, HeaderOnlyGivesNoTracksAndNoRows)
{
    const auto contents = readText(Header);
    EXPECT_TRUE(contents.columns.empty());
    EXPECT_EQ(contents.rows, 0);
    EXPECT_FALSE(contents.title.isEmpty());
}

TEST(ScopeDataFile, RowsBeyondTheRingOverwriteTheOldest)
{
    const auto contents = readText(Header + "0\t0\r\n1\t0\r\n2\t0\r\n3\t0\r\n4\t0\r\n5\t0\r\n", 4);
    EXPECT_EQ(contents.rows, 6);
    EXPECT_EQ(contents.columns[0], (std::vector<float>{4, 5, 2, 3}));
}

TEST(ScopeDataFile, EmptyLinesCarryNoRow)
{
    const auto contents = readText(Header + "1\t0\r\n\r\n2\t0\r\n\r\n");
    EXPECT_EQ(contents.rows, 2);
}

TEST(ScopeDataFile, BadFilesRaiseWithTheOffendingLine)
{
    const QByteArray thousandColumns = QByteArray("1\t").repeated(5000) + "0\r\n";
    const struct {
        const char *name;
        QByteArray text;
        QString description;
    } cases[] = {
        {"no data lines", "; only\r\n; two lines\r\n", QStringLiteral("The file ends within its four header lines")},
        {"empty file", "", QStringLiteral("The file ends within its four header lines")},
        {"text in a number field", Header + "1\t0\r\nabc\t0\r\n",
         QStringLiteral("Line 6, column 1: \"abc\" is not a number")},
        {"empty number field", Header + "\t0\r\n", QStringLiteral("Line 5, column 1: \"\" is not a number")},
        {"missing field", Header + "1\t2\t0\r\n3\t0\r\n", QStringLiteral("Line 6 holds fewer than 2 values")},
        {"missing trigger tab", Header + "1\t2\t0\r\n3\t4\r\n", QStringLiteral("Line 6 holds fewer than 2 values")},
        {"no columns", Header + "0\r\n", QStringLiteral("Line 5 holds no tab-separated values")},
        {"thousands of columns", Header + thousandColumns,
         QStringLiteral("Line 5 holds 5000 columns; at most 32 tracks can be imported")},
        {"beyond the single range", Header + "1E39\t0\r\n", QStringLiteral("Line 5, column 1: 1E39 is out of range")},
        {"not a finite number", Header + "nan\t0\r\n", QStringLiteral("Line 5, column 1: \"nan\" is not a number")},
    };
    for (const auto &c : cases) {
        try {
            readText(c.text);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const platform::Error &error) {
            EXPECT_EQ(error.description(), c.description) << c.name;
        }
    }
}

TEST(ScopeDataFile, NumbersReadWithPointCommaExponentAndBlanks)
{
    const struct {
        const char *text;
        float value;
    } cases[] = {{"1.5", 1.5f}, {" -2,25 ", -2.25f}, {"1.000E+00", 1.0f},
                 {"-3", -3.0f}, {"4.5e-2", 0.045f},  {"1,5E+00", 1.5f}};
    for (const auto &c : cases)
        EXPECT_FLOAT_EQ(ScopeDataFile::readNumber(QString::fromLatin1(c.text), 1, 1), c.value) << c.text;
    for (const char *bad : {"1.2.3", "12abc", "inf", "&H10"})
        EXPECT_THROW(ScopeDataFile::readNumber(QString::fromLatin1(bad), 1, 1), platform::Error) << bad;
}

namespace {

double readBack(const QString &field)
{
    try {
        return ScopeDataFile::readNumber(field, 5, 1);
    } catch (const platform::Error &) {
        return std::numeric_limits<double>::quiet_NaN();
    }
}

}  // namespace

// Every value the export writes reads back, within what the format shows, in the user's locale.
TEST(ScopeDataFile, ImportReadsBackWhatTheExportWrote)
{
    const struct {
        const char *format;
        double absolute;  // the largest rounding the format makes, absolute and relative
        double relative;
    } formats[] = {
        {"", 0, 1e-6},        {"General Number", 0, 1e-6}, {"Fixed", 0.005, 0},   {"Standard", 0.005, 0},
        {"Percent", 5e-5, 0}, {"Scientific", 0, 5e-3},     {"0", 0.5, 0},         {"0.0", 0.05, 0},
        {"0.00", 0.005, 0},   {"0.###", 5e-4, 0},          {"0000", 0.5, 0},      {"0.000E+00", 0, 5e-4},
        {"#,##0", 0.5, 0},    {"#,##0.00", 0.005, 0},      {"0.00E-00", 0, 5e-3}, {"0.0e+0", 0, 5e-2},
        {"0%", 0.005, 0},     {"#,##0.000E+00", 0, 5e-4},
    };
    const float values[] = {1500, -1234.5f, 0.125f, 98765.4f, 7, -0.5f, 0, 1234567};
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        platform::runtime::setUserLocaleForTests(locale);
        for (const auto &f : formats) {
            for (const float value : values) {
                const QString field = ScopeDataFile::dataRow({value}, false, QString::fromLatin1(f.format)).chopped(2);
                const double tolerance = f.absolute + f.relative * std::fabs(value) + 1e-6 * std::fabs(value);
                EXPECT_NEAR(readBack(field), value, tolerance)
                    << locale.name().toStdString() << " \"" << f.format << "\" " << field.toStdString();
            }
        }
    }
    platform::runtime::setUserLocaleForTests(std::nullopt);
}
