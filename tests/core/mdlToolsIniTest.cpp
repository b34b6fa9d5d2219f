#include "core/mdlTools.h"

#include "TempProgramFolder.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(mdlToolsIni, EmptyFileMeansTheApplicationIni)
{
    TempProgramFolder folder;
    folder.write(QStringLiteral("varix-console.ini"), "[Connection Settings]\r\nIP Address=10.0.0.7\r\n");
    EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Connection Settings"), QStringLiteral("IP Address"),
                                      QStringLiteral("x")),
              "10.0.0.7");
    EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("Connection Settings"), QStringLiteral("Absent"),
                                      QStringLiteral("fallback")),
              "fallback");
    mdlTools::WriteIniString(QStringLiteral("Data Export"), QStringLiteral("Data Format"), QStringLiteral("0.00"));
    EXPECT_TRUE(folder.read(QStringLiteral("varix-console.ini")).contains("Data Format=0.00"));
}

TEST(mdlToolsIni, IntegersOutsideSixteenBitsGiveTheDefaultAndNoDigitsZero)
{
    TempProgramFolder folder;
    const QString file = folder.file(QStringLiteral("other.ini"));
    folder.write(QStringLiteral("other.ini"), "[S]\r\nbig=70000\r\nlead=12abc\r\nneg=-32768\r\nword=abc\r\n");
    const struct {
        const char *key;
        int16_t expected;
    } cases[] = {{"big", 7}, {"lead", 12}, {"neg", -32768}, {"word", 0}, {"missing", 7}};
    for (const auto &c : cases)
        EXPECT_EQ(mdlTools::ReadIniInt(QStringLiteral("S"), QString::fromLatin1(c.key), 7, file), c.expected) << c.key;
}

TEST(mdlToolsIni, LongValuesComeBackCut)
{
    TempProgramFolder folder;
    const QString file = folder.file(QStringLiteral("long.ini"));
    mdlTools::WriteIniString(QStringLiteral("S"), QStringLiteral("k"), QString(1200, QLatin1Char('a')), file);
    EXPECT_EQ(mdlTools::ReadIniString(QStringLiteral("S"), QStringLiteral("k"), QString(), file).size(), 998);
}
