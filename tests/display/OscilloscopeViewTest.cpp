#include "ScopeFixture.h"
#include "display/FConsole.h"
#include "display/ScopeViewMath.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>
#include <limits>

namespace {

using Range = ScopeViewMath::Range;

Range rangeOf(std::initializer_list<float> values)
{
    Range range(*values.begin());
    for (const float v : values)
        range.add(v);
    return range;
}

}  // namespace

TEST(ScopeViewMath, FitRange)
{
    // Samples from 10 to 20 fill the height with a 20 % margin.
    auto fit = ScopeViewMath::fitRange(rangeOf({10, 20}), false, 0.5f, 400, 50);
    EXPECT_EQ(fit.yScale, 2.0f);  // raw 1.5
    EXPECT_EQ(fit.yOffset, 15.0f);
    // Keeping zero, the larger side decides: -3 below needs 6 units on each half.
    fit = ScopeViewMath::fitRange(rangeOf({-3, 1}), true, 0.5f, 400, 50);
    EXPECT_EQ(fit.yScale, 1.0f);  // raw 6 x 1.2 x 50 / 400 = 0.9
    EXPECT_EQ(fit.yOffset, 0.0f);
    fit = ScopeViewMath::fitRange(rangeOf({-3, 1}), true, 0.5f, 100, 50);
    EXPECT_EQ(fit.yScale, 5.0f);  // raw 3.6
    // The zero line off the middle: the share Z of the margin goes above, 1 - Z below, and with
    // zero kept each side is measured against its own share of the height.
    const struct {
        std::initializer_list<float> samples;
        bool keepZero;
        float zeroPosition;
        int height;
        float yScale, yOffset;
    } offCentre[] = {
        {{10, 20}, false, 0.25f, 400, 2, 17.5f},
        {{10, 20}, false, 0.8f, 400, 2, 12},
        {{-1, 3}, true, 0.25f, 100, 10, 0},     // 3 above a quarter: 12, raw 7.2
        {{-3, 0.5f}, true, 0.75f, 100, 10, 0},  // 3 below a quarter: 12, raw 7.2
    };
    for (const auto &c : offCentre) {
        fit = ScopeViewMath::fitRange(rangeOf(c.samples), c.keepZero, c.zeroPosition, c.height, 50);
        EXPECT_EQ(fit.yScale, c.yScale) << c.zeroPosition;
        EXPECT_EQ(fit.yOffset, c.yOffset) << c.zeroPosition;
    }
    // A flat trace keeps one unit per division; the offset is rounded to two decimals.
    fit = ScopeViewMath::fitRange(rangeOf({3.14159f}), false, 0.5f, 400, 50);
    EXPECT_EQ(fit.yScale, 1.0f);
    EXPECT_EQ(fit.yOffset, 3.14f);
    // With the zero line on an edge the side without room is left out instead of dividing by zero.
    fit = ScopeViewMath::fitRange(rangeOf({-8, 4}), true, 0.0f, 400, 50);
    EXPECT_EQ(fit.yScale, 2.0f);  // only the 8 below: raw 1.2
    fit = ScopeViewMath::fitRange(rangeOf({-8, 4}), true, 1.0f, 400, 50);
    EXPECT_EQ(fit.yScale, 1.0f);  // only the 4 above: raw 0.6
    // No drawing area yet: nothing sensible to fit.
    fit = ScopeViewMath::fitRange(rangeOf({-8, 4}), false, 0.5f, 0, 50);
    EXPECT_EQ(fit.yScale, 1.0f);
    // Samples that are not numbers are passed over, even the first; they never make the offset NaN.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    fit = ScopeViewMath::fitRange(rangeOf({nan, 10, nan, 20}), false, 0.5f, 400, 50);
    EXPECT_EQ(fit.yScale, 2.0f);
    EXPECT_EQ(fit.yOffset, 15.0f);
    fit = ScopeViewMath::fitRange(rangeOf({nan, nan}), false, 0.5f, 400, 50);
    EXPECT_EQ(fit.yScale, 1.0f);
    EXPECT_EQ(fit.yOffset, 0.0f);
}

TEST(ScopeViewMath, ScrollSpanAndSteps)
{
    // 1000 samples per second, 1000 ms per division, 50 pixels: 1000 samples a division, 20 a pixel.
    const struct {
        int32_t direction;
        int64_t expected;
    } scrolls[] = {{0, 0}, {1, 4000}, {2, 4980}, {3, 5020}, {4, 6000}, {7, 5000}, {-1, 5000}};
    for (const auto &s : scrolls)
        EXPECT_EQ(ScopeViewMath::scrolledOffset(s.direction, 5000, 1000, 1000, 50), s.expected) << s.direction;
    // Less than a sample per pixel still moves one sample.
    EXPECT_EQ(ScopeViewMath::scrolledOffset(3, 10, 10, 1000, 50), 11);

    EXPECT_EQ(ScopeViewMath::spanForward(100, 300, 999), 200);
    EXPECT_EQ(ScopeViewMath::spanForward(990, 10, 999), 20);

    EXPECT_EQ(ScopeViewMath::yScaleStep(5000, true), std::nullopt);
    EXPECT_EQ(ScopeViewMath::yScaleStep(4000, true), 10000.0f);
    EXPECT_EQ(ScopeViewMath::yScaleStep(0.002f, false), std::nullopt);
    EXPECT_EQ(ScopeViewMath::yScaleStep(5, false), 2.0f);
    EXPECT_EQ(ScopeViewMath::xScaleStep(50, false), std::nullopt);
    EXPECT_EQ(ScopeViewMath::xScaleStep(50000, true), std::nullopt);
    EXPECT_EQ(ScopeViewMath::xScaleStep(1000, true), 2000.0f);
    EXPECT_EQ(ScopeViewMath::xScaleStep(1000, false), 500.0f);
    EXPECT_EQ(ScopeViewMath::yOffsetStep(1, 5, true), 3.5f);
    EXPECT_EQ(ScopeViewMath::yOffsetStep(1, 0.005f, false), 1.0f);  // 0.9975 to two decimals

    EXPECT_EQ(ScopeViewMath::trackStep(5, 5, true), 1);
    EXPECT_EQ(ScopeViewMath::trackStep(1, 5, false), 5);
    EXPECT_EQ(ScopeViewMath::trackStep(2, 5, true), 3);
    EXPECT_EQ(ScopeViewMath::trackStep(0, 0, true), std::nullopt);
}

class ScopeView : public ::testing::Test {
protected:
    ScopeFixture f;  // 500 x 400 pixels
    Oscilloscope &scope = *f.scope;

    QLineEdit *box(const char *name) const { return scope.findChild<QLineEdit *>(QString::fromLatin1(name)); }
};

TEST_F(ScopeView, AutoSetFitsTheShownSamples)
{
    const auto track = scope.Tracks().Add();
    for (int k = 0; k <= 100; ++k)
        f.feed({10 + k / 10.0f});
    scope.AutoSet(1, false);
    EXPECT_EQ(track->YScale(), 2.0f);
    EXPECT_EQ(track->YOffset(), 15.0f);
    scope.setZeroPosition(0.25f);
    scope.AutoSet(1, false);
    EXPECT_EQ(track->YOffset(), 17.5f);
    scope.setZeroPosition(0.5f);

    // Level lines widen the range.
    track->LevelLines().Add(-30);
    scope.AutoSet(1, true);
    EXPECT_EQ(track->YScale(), 10.0f);  // a = 60: raw 9
    EXPECT_EQ(track->YOffset(), 0.0f);

    // An invisible track gets one unit and no offset; the common scale goes to every track.
    const auto hidden = scope.Tracks().Add(QString(), 0xFF00, 0, 1, 7, 3, false);
    scope.AutoSet(2, false);
    EXPECT_EQ(hidden->YScale(), 1.0f);
    EXPECT_EQ(hidden->YOffset(), 0.0f);
    hidden->setYScale(7);
    scope.AutoSet(0, false, true);
    EXPECT_EQ(hidden->YScale(), track->YScale());
    EXPECT_EQ(hidden->YOffset(), track->YOffset());
    scope.AutoSet(0, false, false);
    EXPECT_EQ(hidden->YScale(), track->YScale());  // left alone
}

TEST_F(ScopeView, AutoSetSeesSamplesAcrossTheRingEnd)
{
    scope.setBufferSize(999);
    const auto track = scope.Tracks().Add();
    scope.setXOffset(990);
    for (int k = 0; k < 990; ++k)
        scope.DrawPoint();  // write position 990, left edge 990: nothing shown yet
    scope.setXOffset(990);
    for (int k = 0; k < 20; ++k)
        f.feed({k < 10 ? 10.0f : 20.0f});
    ASSERT_EQ(scope.BufferPtr(), 10);
    scope.setHold(true);
    scope.AutoSet(1, false);
    EXPECT_EQ(track->YScale(), 2.0f);
    EXPECT_EQ(track->YOffset(), 15.0f);
}

TEST_F(ScopeView, AutoSetXFitsTheRecordedPartOrTheWholeWrappedRing)
{
    scope.setBufferSize(9999);
    const auto track = scope.Tracks().Add();
    for (int k = 0; k < 3000; ++k)
        f.feed({1});
    scope.setHold(true);
    scope.AutoSetX();
    // 3000 samples over 10 divisions: 300 ms a division, rounded up to 500.
    EXPECT_EQ(scope.XScale(), 500.0f);
    EXPECT_EQ(scope.XOffset(), 0);

    // Nothing recorded: the scale stays.
    scope.setHold(false);
    scope.ClearBuffer(false);
    scope.setHold(true);
    scope.AutoSetX();
    EXPECT_EQ(scope.XScale(), 500.0f);

    scope.setHold(false);
    for (int k = 0; k < 10005; ++k)
        f.feed({2});
    ASSERT_EQ(scope.BufferPtr(), 5);
    scope.setHold(true);
    scope.AutoSetX();
    EXPECT_EQ(scope.XScale(), 1000.0f);
    // The oldest sample at the left edge, and the whole ring on screen up to the newest.
    EXPECT_EQ(scope.XOffset(), 6);
    EXPECT_FALSE(ScopeFixture::rowsOfColour(f.pixels(), 499, ScopeFixture::rgb(0xFF)).empty());
}

TEST_F(ScopeView, ZoomNeedsTwoFixedCursors)
{
    scope.Tracks().Add();
    for (int k = 0; k < 9000; ++k)
        f.feed({1});
    scope.setHold(true);
    scope.Zoom();
    EXPECT_EQ(scope.XScale(), 1000.0f);
    QTest::mouseRelease(f.canvas(), Qt::LeftButton, {}, QPoint(100, 50));
    scope.Zoom();
    EXPECT_EQ(scope.XScale(), 1000.0f);
    EXPECT_EQ(scope.XOffset(), 0);

    QTest::mouseRelease(f.canvas(), Qt::LeftButton, {}, QPoint(300, 50));
    scope.Zoom();
    // Samples 2000 to 6000 across 10 divisions: 400 ms, rounded up to 500.
    EXPECT_EQ(scope.XOffset(), 2000);
    EXPECT_EQ(scope.XScale(), 500.0f);
    EXPECT_EQ(scope.CursorX1(), 0.0f);
    EXPECT_EQ(scope.CursorX2(), 400.0f);
    EXPECT_EQ(scope.CursorPos1(), 2000);
    EXPECT_EQ(scope.CursorPos2(), 6000);
}

TEST_F(ScopeView, ScrollMovesTheLeftEdgeAndWrapsIt)
{
    scope.setBufferSize(99999);
    scope.setXOffset(5000);
    scope.Scroll(4);
    EXPECT_EQ(scope.XOffset(), 6000);
    scope.Scroll(2);
    EXPECT_EQ(scope.XOffset(), 5980);
    scope.Scroll(7);
    EXPECT_EQ(scope.XOffset(), 5980);
    scope.Scroll(0);
    EXPECT_EQ(scope.XOffset(), 0);
    scope.Scroll(1);
    EXPECT_EQ(scope.XOffset(), 99000);
}

TEST_F(ScopeView, PanelShowsThePanelTrackAndStepsThroughTracks)
{
    scope.Tracks().Add(QStringLiteral("X"), 0xFFFF, 0, 1, 5, 0, false);
    scope.Tracks().Add(QStringLiteral("Y"), 0xFF00, 0, 1, 5, 0.125f);
    scope.Tracks().Add(QStringLiteral("RMS"), 0xFFFF00, 0, 1, 5, 0, true, QString(), QStringLiteral("mm/s"));
    scope.Redraw();
    // The first visible track is chosen.
    EXPECT_EQ(scope.PanelTrackIndex(), 2);
    EXPECT_EQ(box("txtTrackName")->text(), QStringLiteral("Y"));
    EXPECT_EQ(box("txtYScale")->text(), QStringLiteral("5"));
    EXPECT_EQ(box("txtXScale")->text(), QStringLiteral("1000"));
    EXPECT_EQ(box("txtYOffset")->text(), QStringLiteral("0") + QLocale::system().decimalPoint() + QStringLiteral("13"));
    // Showing the rounded offset does not round the track's offset.
    EXPECT_EQ(scope.Tracks().Item(2)->YOffset(), 0.125f);
    EXPECT_EQ(scope.findChild<QLabel *>(QStringLiteral("lbl_0"))->text(), QStringLiteral("Y Scale (m/s²/div)"));
    EXPECT_EQ(scope.findChild<QLabel *>(QStringLiteral("lbl_1"))->text(), QStringLiteral("Y offset (m/s²)"));
    EXPECT_EQ(scope.findChild<QLabel *>(QStringLiteral("lbl_2"))->text(), QStringLiteral("X Scale (ms / div)"));

    QLineEdit *name = box("txtTrackName");
    QTest::keyClick(name, Qt::Key_Up);
    EXPECT_EQ(scope.PanelTrackIndex(), 3);
    EXPECT_EQ(scope.findChild<QLabel *>(QStringLiteral("lbl_1"))->text(), QStringLiteral("Y offset (mm/s)"));
    QTest::keyClick(name, Qt::Key_Up);
    EXPECT_EQ(scope.PanelTrackIndex(), 1);  // round to the first, hidden or not
    EXPECT_EQ(name->text(), QStringLiteral("X"));
    QTest::keyClick(name, Qt::Key_Down);
    EXPECT_EQ(scope.PanelTrackIndex(), 3);
    QWidget *spinner = scope.findChild<QWidget *>(QStringLiteral("imgUpdTrack"));
    QTest::mouseClick(spinner, Qt::LeftButton, {}, QPoint(5, spinner->height() - 2));
    EXPECT_EQ(scope.PanelTrackIndex(), 2);
    QTest::mouseClick(spinner, Qt::LeftButton, {}, QPoint(5, 2));
    EXPECT_EQ(scope.PanelTrackIndex(), 3);

    // Removing tracks keeps the panel on its track, or lets it pick another when its own goes.
    scope.Tracks().Remove(1);
    EXPECT_EQ(scope.PanelTrackIndex(), 2);
    scope.Tracks().Remove(QStringLiteral("nothing"));
    EXPECT_EQ(scope.PanelTrackIndex(), 2);
    scope.Tracks().Remove(2);
    EXPECT_EQ(scope.PanelTrack(), nullptr);
    scope.Redraw();
    EXPECT_EQ(name->text(), QStringLiteral("Y"));
}

TEST_F(ScopeView, PanelBoxesApplyTheirValuesAndIgnoreBadText)
{
    const auto track = scope.Tracks().Add(QStringLiteral("X"), 0xFF, 0, 1, 5, 1);
    scope.Redraw();
    QLineEdit *yScale = box("txtYScale");
    QTest::keyClick(yScale, Qt::Key_Up);
    EXPECT_EQ(track->YScale(), 10.0f);  // 7.5 rounded up to 10
    QTest::keyClick(yScale, Qt::Key_Down);
    EXPECT_EQ(track->YScale(), 5.0f);  // 4 rounded up to 5
    QTest::keyClick(box("txtYOffset"), Qt::Key_Up);
    EXPECT_EQ(track->YOffset(), 3.5f);
    QWidget *xSpinner = scope.findChild<QWidget *>(QStringLiteral("imgUpdXScale"));
    QTest::mouseClick(xSpinner, Qt::LeftButton, {}, QPoint(5, 2));
    EXPECT_EQ(scope.XScale(), 2000.0f);

    // Typed text: a decimal comma reads; bad text and refused scales change nothing.
    yScale->setText(QStringLiteral("2,5"));
    EXPECT_EQ(track->YScale(), 2.5f);
    for (const char *bad : {"abc", "0", "-3", "", "12abc", "1e"}) {
        yScale->setText(QString::fromLatin1(bad));
        EXPECT_EQ(track->YScale(), 2.5f) << bad;
        box("txtXScale")->setText(QString::fromLatin1(bad));
        EXPECT_EQ(scope.XScale(), 2000.0f) << bad;
    }
    // An emptied or garbled offset box neither zeroes the offset nor takes its leading digits.
    box("txtYOffset")->setText(QStringLiteral("-1,5"));
    EXPECT_EQ(track->YOffset(), -1.5f);
    for (const char *bad : {"", "abc", "7up", "-"}) {
        box("txtYOffset")->setText(QString::fromLatin1(bad));
        EXPECT_EQ(track->YOffset(), -1.5f) << bad;
    }
    // Each edit restarts the debounced redraw.
    EXPECT_TRUE(scope.findChild<QTimer *>(QStringLiteral("tmrRedraw"))->isActive());

    // The up step stops at 5000 units per division.
    track->setYScale(5000);
    scope.Redraw();
    QTest::keyClick(yScale, Qt::Key_Up);
    EXPECT_EQ(track->YScale(), 5000.0f);
}

TEST_F(ScopeView, ContextMenuAndControlPanelEntry)
{
    auto *autoset = scope.findChild<QAction *>(QStringLiteral("mnuAutoset"));
    auto *panelEntry = scope.findChild<QAction *>(QStringLiteral("mnuControlPanel"));
    auto *separator = scope.findChild<QAction *>(QStringLiteral("mnuSep1"));
    ASSERT_TRUE(autoset && panelEntry && separator);
    EXPECT_EQ(autoset->text(), QStringLiteral("Autoset"));
    EXPECT_EQ(panelEntry->text(), QStringLiteral("Control panel"));
    EXPECT_TRUE(panelEntry->isVisible());
    scope.setEnableControlPanel(false);
    EXPECT_FALSE(panelEntry->isVisible());
    EXPECT_FALSE(separator->isVisible());
    EXPECT_TRUE(autoset->isVisible());

    const auto track = scope.Tracks().Add();
    for (int k = 0; k < 200; ++k)
        f.feed({-3});
    autoset->trigger();
    EXPECT_EQ(track->YScale(), 1.0f);  // keeps zero: a = 6, raw 0.9
    EXPECT_EQ(track->YOffset(), 0.0f);

    // The right button opens the menu at the pointer.
    QTest::mouseRelease(f.canvas(), Qt::RightButton, {}, QPoint(20, 20));
    auto *menu = scope.findChild<QMenu *>(QStringLiteral("mnuPopup"));
    QTRY_VERIFY(menu->isVisible());
    menu->hide();
}

TEST_F(ScopeView, DoubleClickOpensTheControlPanelOnlyWhileEnabled)
{
    scope.Tracks().Add();
    QSignalSpy doubleClicks(&scope, &Oscilloscope::DblClick);
    scope.setEnableControlPanel(false);
    QTest::mouseDClick(f.canvas(), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_TRUE(FConsole::Loaded() == nullptr || !FConsole::Loaded()->isVisible());

    scope.setEnableControlPanel(true);
    QTest::mouseDClick(f.canvas(), Qt::LeftButton, {}, QPoint(30, 30));
    ASSERT_NE(FConsole::Loaded(), nullptr);
    EXPECT_TRUE(FConsole::Loaded()->isVisible());
    EXPECT_EQ(FConsole::Loaded()->Scope(), &scope);

    // Switching the entry off closes the panel bound to this control.
    scope.setEnableControlPanel(false);
    EXPECT_EQ(FConsole::Loaded(), nullptr);
}
