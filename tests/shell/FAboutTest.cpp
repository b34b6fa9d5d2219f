#include "shell/FAbout.h"
#include "TempProgramFolder.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class About : public ::testing::Test {
protected:
    TempProgramFolder folder;
};

TEST_F(About, ShowsTheConsoleAndTheCarriedFirmwareVersion)
{
    QCoreApplication::setApplicationVersion(QStringLiteral("2.7.13"));
    FAbout about;
    QCoreApplication::setApplicationVersion(QString());

    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Varix Configuration Console"));
    const QStringList lines = about.lblInfo->text().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 6);
    const QStringList tail = lines.mid(lines.size() - 5);
    EXPECT_EQ(tail, (QStringList{QString(), QString(), QStringLiteral("Varix Configuration Console"),
                                 QStringLiteral("Version: 2.7.13"), QStringLiteral("Firmware version: 17.15 (CF)")}));
    EXPECT_FALSE(lines.first().isEmpty()) << "the maker's block comes first";
    EXPECT_FALSE(about.lblDistributor->isVisibleTo(&about));
    EXPECT_FALSE(about.Image1->pixmap().isNull());
    EXPECT_FALSE(about.imgLogoBrindle->pixmap().isNull());
    EXPECT_EQ(about.Image1->pixmap().toImage(), about.imlDevice.value(QStringLiteral("VARIX")).toImage());
}

TEST_F(About, TheFirmwareLineFollowsTheTranslationFile)
{
    // The MD5 key of "Firmware version" in UTF-16LE.
    folder.write(QStringLiteral("Strings.ini"), "[Translation]\r\n"
                                                "K125=Versione\r\n"
                                                "16C741CDC495CE0B80BD4B8615019649=Versione firmware\r\n");
    FAbout about;
    const QStringList lines = about.lblInfo->text().split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("Versione firmware: 17.15 (CF)")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Versione: 0.0.0")));
}

TEST_F(About, IsAsHighAsItsFixedMeasureAndShowsAllItsText)
{
    FAbout about;
    about.show();
    EXPECT_EQ(about.height(), 4500 * about.logicalDpiY() / 1440);
    EXPECT_GE(about.lblInfo->height(), about.lblInfo->sizeHint().height()) << "nothing of the text is cut off";
}

TEST_F(About, AnyKeyOrAClickOnTextOrPictureCloses)
{
    const auto closes = [](const std::function<void(FAbout &)> &act) {
        FAbout about;
        about.show();
        act(about);
        return !about.isVisible();
    };
    EXPECT_TRUE(closes([](FAbout &a) { QTest::keyClick(&a, Qt::Key_A); }));
    EXPECT_TRUE(closes([](FAbout &a) { QTest::keyClick(&a, Qt::Key_Space); }));
    // The Alt of Alt+F4 alone leaves the F4 to the box, not to the main window behind it.
    EXPECT_FALSE(closes([](FAbout &a) { QTest::keyPress(&a, Qt::Key_Alt); }));
    EXPECT_TRUE(closes([](FAbout &a) { QTest::keyClick(&a, Qt::Key_Alt); }));
    EXPECT_FALSE(closes([](FAbout &a) { QTest::keyRelease(&a, Qt::Key_Alt); })) << "held when the box opened";
    EXPECT_TRUE(closes([](FAbout &a) { QTest::mouseClick(a.lblInfo, Qt::LeftButton); }));
    EXPECT_TRUE(closes([](FAbout &a) { QTest::mouseClick(a.Image1, Qt::LeftButton); }));
    EXPECT_TRUE(closes([](FAbout &a) { QTest::mouseClick(a.imgLogoBrindle, Qt::LeftButton); }));
}

}  // namespace
