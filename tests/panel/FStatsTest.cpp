#include "NonRegularFile.h"
#include "PanelFixture.h"
#include "SmallFilesystem.h"
#include "panel/PanelWidgets.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using platform::MsgResult;

class Statistics : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        openAsAdministrator();  // the table is the administrator's to edit and upload
        quiet();
        panel->cmdShowStats_Click();
        sim.clearRequests();
    }

    FStats &stats() const { return *panel->Stats; }
    QLineEdit *limit(int i) const { return named<QLineEdit>(stats(), "txtRMSLimit", i); }

    // The boxes shown red, as their indices.
    QString redLimits() const
    {
        QString red;
        for (int i = 0; i < 9; ++i) {
            if (panelWidgets::boxColor(limit(i)) == panelWidgets::fromBgr(panelWidgets::Red))
                red += QString::number(i);
        }
        return red;
    }
};

TEST_F(Statistics, LimitsMustRiseStrictlyUpToTheMaximum)
{
    const std::tuple<int, const char *, const char *> edits[] = {
        {2, "2", "12"},                      // equal to its lower neighbour: both red
        {5, "4", "1245"},                    // below its lower neighbour
        {3, "4.5", "15"},                    // its neighbours are checked again; boxes two places away stay red
        {2, "3", "5"},                       // corrected
        {5, "6", ""},     {8, "20.5", "8"},  // above the maximum
        {8, "20", ""},
    };
    for (const auto &[box, text, red] : edits) {
        limit(box)->setText(QLatin1String(text));
        EXPECT_EQ(redLimits(), QLatin1String(red)) << box << " = " << text;
    }
    EXPECT_EQ(named<QLabel>(stats(), "lblRMSLimit")->text(), QStringLiteral("RMS > 20"));
    EXPECT_EQ(named<QLabel>(stats(), "lblLoweLimit", 4)->text(), QStringLiteral("4.5 < RMS <"));
    EXPECT_TRUE(named<QPushButton>(stats(), "cmdUpload")->isEnabled());

    limit(0)->setText(QStringLiteral("3"));
    named<QPushButton>(stats(), "cmdUpload")->click();
    EXPECT_EQ(ui.messageTexts(), QStringList{"RMS Limits values are not correct"});
    EXPECT_EQ(ui.messages.back().icon, platform::MsgIcon::Exclamation);
    settle();
    EXPECT_TRUE(writes().isEmpty());
}

TEST_F(Statistics, UploadWritesTheTableThenTheCommand)
{
    for (int i = 0; i < 9; ++i)
        limit(i)->setText(QString::number(i + 1) + QStringLiteral(".0"));
    named<QLineEdit>(stats(), "txtReductionFactor", 0)->setText(QStringLiteral("1,5"));
    EXPECT_EQ(named<QLabel>(stats(), "lblDurataTeorica", 0)->text(), QStringLiteral("3333"));

    ui.queueMessageAnswer(MsgResult::No);
    named<QPushButton>(stats(), "cmdUpload")->click();
    settle();
    EXPECT_TRUE(writes().isEmpty());
    EXPECT_TRUE(named<QPushButton>(stats(), "cmdUpload")->isEnabled());

    ui.queueMessageAnswer(MsgResult::Yes);
    named<QPushButton>(stats(), "cmdUpload")->click();
    settle();
    EXPECT_EQ(ui.messageTexts().last(), QStringLiteral("Upload value and reset data?"));
    const int limits[] = {55, 221, 498, 886, 1384, 1993, 2712, 3543, 4484};
    const int factors[] = {150, 75, 100, 100, 125, 150, 200, 300, 400, 500};
    QStringList expected;
    for (int i = 0; i < 9; ++i)
        expected << QStringLiteral("6/%1/%2").arg(346 + i).arg(limits[i]);
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("6/%1/%2").arg(336 + i).arg(factors[i]);
    expected << QStringLiteral("6/205/128");
    EXPECT_EQ(writes(), expected);
    EXPECT_EQ(sim.application().tableAdoptions(), 1);
    EXPECT_FALSE(named<QPushButton>(stats(), "cmdUpload")->isEnabled());
}

TEST_F(Statistics, MarkerStandsOnTheBandOfTheVelocity)
{
    const std::pair<float, int> marks[] = {{3.0f, 3}, {0.2f, 0}, {9.0f, 9}, {100.0f, 9}, {4.5f, 4}};
    for (const auto &[rms, band] : marks) {
        stats().setRMS(rms);
        EXPECT_EQ(stats().MarkerBand(), band) << rms;
        QTest::qWait(20);
        const QLabel *row = named<QLabel>(stats(), "lblDurataTeorica", band);
        const int middle = row->mapTo(&stats(), row->rect().center()).y();
        const QRect marker = named<QFrame>(stats(), "shpRMSHighlight")->geometry();
        EXPECT_TRUE(marker.top() <= middle && middle <= marker.bottom()) << rms;
    }
}

TEST_F(Statistics, ExportAppendsABlockPerExport)
{
    const QString file = folder.file(QStringLiteral("table.txt"));
    named<QLineEdit>(stats(), "txtReductionFactor", 9)->setText(QStringLiteral("3"));
    for (int n = 0; n < 2; ++n) {
        ui.queueFileAnswer(file);
        named<QPushButton>(stats(), "cmdExport")->click();
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.fileDialogs.front().title, QStringLiteral("Export data"));
    EXPECT_EQ(ui.fileDialogs.front().kind, platform::FileDialogRequest::Kind::Save);
    EXPECT_EQ(ui.fileDialogs.front().defaultSuffix, QStringLiteral("txt"));
    const QString content = QString::fromLatin1(folder.read(QStringLiteral("table.txt")));
    ASSERT_TRUE(content.endsWith(QStringLiteral("\r\n")));
    const QStringList lines = content.chopped(2).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 26);
    EXPECT_EQ(lines[0], QStringLiteral("Varix Configuration Console - S/N XR-S-300001"));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d\\d \\w{3} \\d{4} \\d\\d:\\d\\d:\\d\\d$")).match(lines[1]).hasMatch())
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("Theoretical lenght\tVRMS [mm/s]\tReduction factor\tReal hours\tWorking hours"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("10000\tRMS < 1\t0.5\t"))) << lines[3].toStdString();
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("4000\t4 < RMS < 5\t1.25\t"))) << lines[7].toStdString();
    EXPECT_TRUE(lines[12].startsWith(QStringLiteral("1667\tRMS > 9\t3\t"))) << lines[12].toStdString();
    EXPECT_EQ(lines[12].count(QLatin1Char('\t')), 4);
    EXPECT_EQ(lines[13], lines[0]);
    EXPECT_EQ(lines.mid(15), lines.mid(2, 11));

    ui.queueFileAnswer(folder.file(QStringLiteral("missing/table.txt")));
    named<QPushButton>(stats(), "cmdExport")->click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages.front().text.startsWith(QStringLiteral("Unable to export data\r\n")));
    EXPECT_EQ(ui.messages.front().icon, platform::MsgIcon::Exclamation);
    named<QPushButton>(stats(), "cmdExport")->click();
    EXPECT_EQ(ui.messages.size(), 1u) << "a cancelled dialog exports nothing";
}

// An export that cannot be written whole leaves the file as it was and names the cause: a special
// file is never opened for writing, a full disk or a file size limit cuts the block back off.
TEST_F(Statistics, AFailedExportLeavesTheFileAsItWas)
{
    const auto exportTo = [this](const QString &file) {
        ui.messages.clear();
        ui.queueFileAnswer(file);
        named<QPushButton>(stats(), "cmdExport")->click();
        return ui.messageTexts().value(0);
    };
    const QString special = folder.file(QStringLiteral("special.txt"));
    forEachSpecialFile(
        special, [&] { return exportTo(special); }, SpecialFileUse::Write);

    const long page = ::sysconf(_SC_PAGESIZE);
    SmallFilesystem small(folder.file(QStringLiteral("small")), 2 * page);
    struct Case {
        const char *cause;
        QString file;
        qsizetype before;  // what the file holds: the block would cross into a page the disk lacks
        std::function<void()> limit, unlimit;
    };
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    std::vector<Case> cases = {{"File too large", folder.file(QStringLiteral("limited.txt")), 100,
                                [&] {
                                    struct rlimit low = saved;
                                    low.rlim_cur = 200;
                                    ::setrlimit(RLIMIT_FSIZE, &low);
                                },
                                [&] { ::setrlimit(RLIMIT_FSIZE, &saved); }}};
    if (small.mounted())
        cases.push_back({"No space left on device", small.file(QStringLiteral("full.txt")), page - 100,
                         [&] { small.fill(); }, [] {}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cause);
        const QByteArray before(c.before, 'x');
        QFile file(c.file);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        file.close();
        c.limit();
        const QString message = exportTo(c.file);
        c.unlimit();
        EXPECT_EQ(message,
                  QStringLiteral("Unable to export data\r\n") + c.file + QStringLiteral(": ") + QLatin1String(c.cause));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before);
    }
    ::signal(SIGXFSZ, oldHandler);
    if (!small.mounted())
        GTEST_SKIP() << "a full disk not tried: " << small.why().toStdString();
}

TEST_F(Statistics, ClosingOnlyHides)
{
    limit(0)->setText(QStringLiteral("0.7"));
    stats().close();
    EXPECT_FALSE(stats().isVisible());
    panel->cmdShowStats_Click();
    EXPECT_TRUE(stats().isVisible());
    EXPECT_EQ(limit(0)->text(), QStringLiteral("0.7"));
    named<QPushButton>(stats(), "cmdHide")->click();
    EXPECT_FALSE(stats().isVisible());
}

}  // namespace
