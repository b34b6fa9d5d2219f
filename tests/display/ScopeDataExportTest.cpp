#include "NonRegularFile.h"
#include "ScopeFileTest.h"
#include "display/Oscilloscope.h"
#include "session/mdlMain.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A scope on screen, 500 pixels wide, with a small ring and two tracks, X and Y.
class ScopeExport : public ScopeFileTest {
protected:
    void SetUp() override
    {
        scope.setBufferSize(20);
        ASSERT_EQ(scope.ScaleWidth(), 500);
        scope.Tracks().Add(QStringLiteral("X"));
        scope.Tracks().Add(QStringLiteral("Y"));
    }

    // Sample k (from 1) is k on X and -k on Y; the listed samples carry a trigger flag.
    void feed(int samples, std::initializer_list<int> triggers = {})
    {
        for (int k = 1; k <= samples; ++k) {
            scope.Tracks().Item(1)->SetPoint(static_cast<float>(k));
            scope.Tracks().Item(2)->SetPoint(static_cast<float>(-k));
            if (std::find(triggers.begin(), triggers.end(), k) != triggers.end())
                scope.setTrigger(true);
            scope.DrawPoint();
        }
    }

    QStringList exportLines(bool header = true, const QString &format = QStringLiteral("0"))
    {
        scope.ExportData(path, header, QStringLiteral(";"), format);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n"));
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << "every line ends with CR LF";
        QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
};

}  // namespace

TEST_F(ScopeExport, WritesHeaderThenOneRowPerShownSample)
{
    mdlMain::CurrentSoftware.Name = QStringLiteral("KVR");
    feed(3, {2});
    const QStringList lines = exportLines();
    mdlMain::CurrentSoftware = {};
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("; Varix Log Files - ")));
    EXPECT_EQ(lines[1], QStringLiteral("; Application: KVR - Sampling rate: 1000 Samples per second"));
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[3], QStringLiteral("; X\tY\tTrigger"));
    EXPECT_EQ(lines.mid(4),
              (QStringList{QStringLiteral("1\t-1\t0"), QStringLiteral("2\t-2\t1"), QStringLiteral("3\t-3\t0")}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ScopeExport, WithoutHeaderOnlyRows)
{
    feed(2);
    EXPECT_EQ(exportLines(false, QStringLiteral("0.000E+00")),
              (QStringList{QStringLiteral("1.000E+00\t-1.000E+00\t0"), QStringLiteral("2.000E+00\t-2.000E+00\t0")}));
}

TEST_F(ScopeExport, RightAfterClearWritesOnlyTheHeader)
{
    feed(5);
    scope.Clear();
    EXPECT_EQ(exportLines().size(), 4);
    EXPECT_TRUE(exportLines(false).isEmpty());
}

TEST_F(ScopeExport, ContinuesOverTheRingEnd)
{
    // 25 samples in 21 slots: slots 4..20 hold 5..21, slots 0..3 hold 22..25; the write position is 4.
    feed(25);
    ASSERT_EQ(scope.BufferPtr(), 4);
    scope.setXOffset(15);
    QStringList expected;
    for (int k = 16; k <= 25; ++k)
        expected << QStringLiteral("%1\t%2\t0").arg(k).arg(-k);
    EXPECT_EQ(exportLines(false), expected);
}

TEST_F(ScopeExport, StopsAtTheRightEdgeOfTheScreen)
{
    scope.setBufferSize(1000);
    scope.setXScale(10);  // 5 pixels per sample: columns 0..500 hold samples 0..100
    feed(300);
    scope.setXOffset(0);
    const QStringList lines = exportLines(false);
    ASSERT_EQ(lines.size(), 101);
    EXPECT_EQ(lines.last(), QStringLiteral("101\t-101\t0"));
}

TEST_F(ScopeExport, UnwritablePathShowsTheMessage)
{
    feed(2);
    scope.ExportData(dir.filePath(QStringLiteral("missing/scope.log")), true, QString(), QStringLiteral("0"));
    ASSERT_EQ(ui.messages.size(), 1u);
    const auto &box = ui.messages[0];
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Error exporting data\r\nCannot create ")))
        << box.text.toStdString();
    EXPECT_EQ(box.icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(box.title, QStringLiteral("Varix Configuration Console"));

    // A special file picked by mistake is refused, never opened for writing.
    const QString special = dir.filePath(QStringLiteral("special.log"));
    forEachSpecialFile(
        special,
        [&] {
            ui.messages.clear();
            scope.ExportData(special, true, QString(), QStringLiteral("0"));
            return ui.messageTexts().value(0);
        },
        SpecialFileUse::Write);
}

TEST_F(ScopeExport, NoTrackKeepsTheHeaderAndShowsTheMessage)
{
    feed(2);
    scope.Tracks().Remove(1);
    scope.Tracks().Remove(1);
    EXPECT_EQ(exportLines().size(), 4);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Error exporting data\r\nThere is no track to export"));
}

TEST_F(ScopeExport, AFormatThatCannotBeAppliedKeepsTheHeaderAndShowsTheMessage)
{
    feed(2);
    EXPECT_EQ(exportLines(true, QStringLiteral("0.0\"")).size(), 4);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Error exporting data\r\nInvalid procedure call or argument"));
}
