#include "ScopeFixture.h"
#include "display/ScopeGrid.h"
#include "display/ScopeSurface.h"
#include "display/ScopeTrace.h"

#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QRgb Red = ScopeFixture::rgb(0xFF);
const QRgb Green = ScopeFixture::rgb(0xFF00);
const QRgb White = ScopeFixture::rgb(0xFFFFFF);
const QRgb Grey = ScopeFixture::rgb(0x808080);
const QRgb Black = ScopeFixture::rgb(0);

bool litNear(const QImage &image, int x, float y, QRgb colour, int tolerance = 1)
{
    for (int row = static_cast<int>(std::floor(y)) - tolerance; row <= static_cast<int>(std::ceil(y)) + tolerance;
         ++row)
        if (row >= 0 && row < image.height() && image.pixel(x, row) == colour)
            return true;
    return false;
}

int litColumns(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += static_cast<int>(ScopeFixture::rowsOfColour(image, x, colour).size()) == image.height();
    return n;
}

}  // namespace

TEST(ScopeGrid, RowsRunThroughTheZeroLineAndMultiplesOfItAreSolid)
{
    const auto rows = ScopeGrid::rows(400, 0.5f, 50);
    ASSERT_EQ(rows.size(), 9u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].y, 50.0f * i);
        EXPECT_EQ(rows[i].solid, i == 0 || i == 4 || i == 8) << i;
    }
    const auto third = ScopeGrid::rows(400, 0.3f, 50);
    EXPECT_FLOAT_EQ(third.front().y, 20.0f);
    EXPECT_FLOAT_EQ(third.back().y, 420.0f);
    for (const auto &row : third)
        EXPECT_EQ(row.solid, std::fabs(row.y - 120.0f) < 0.01f) << row.y;
    // With the zero line on the top edge only that line is solid.
    for (const auto &row : ScopeGrid::rows(400, 0, 50))
        EXPECT_EQ(row.solid, row.y == 0.0f) << row.y;
    EXPECT_EQ(ScopeGrid::columns(120, 50), (std::vector<float>{0, 50, 100}));
    EXPECT_EQ(ScopeGrid::columns(100, 50), (std::vector<float>{0, 50, 100}));
    EXPECT_TRUE(ScopeGrid::columns(100, 0).empty());
}

TEST(ScopeSurface, ClipKeepsTheVisiblePartOfAnyLine)
{
    const QRectF bounds(0, 0, 100, 100);
    QLineF line(50, -1e30, 50, 1e30);
    ASSERT_TRUE(ScopeSurface::clip(line, bounds));
    EXPECT_EQ(line, QLineF(50, 0, 50, 100));
    line = QLineF(-50, 50, 150, 50);
    ASSERT_TRUE(ScopeSurface::clip(line, bounds));
    EXPECT_EQ(line, QLineF(0, 50, 100, 50));
    line = QLineF(200, 0, 300, 50);
    EXPECT_FALSE(ScopeSurface::clip(line, bounds));
    line = QLineF(10, std::nan(""), 20, 30);
    EXPECT_FALSE(ScopeSurface::clip(line, bounds));
}

TEST(ScopeTrace, ColumnModeDrawsAtMostAboutOneLinePerPixel)
{
    Oscilloscope scope;  // a 1,000,000-sample ring
    const auto track = scope.Tracks().Add();
    for (int i = 0; i < 1000000; ++i)
        track->setBuffer(i, static_cast<float>(i % 7));
    ScopeGeometry g;
    g.width = 1000;
    g.height = 400;
    g.xScale = 50000;  // 1000 samples per pixel: the whole ring across the width
    std::vector<QLineF> lines;
    ScopeTrace::build(g, 999999, *track, lines);
    EXPECT_GE(lines.size(), 999u);
    EXPECT_LE(lines.size(), 1001u);
    // Each column spans the values 0..6 it holds.
    EXPECT_FLOAT_EQ(lines[5].y1(), g.valueToY(6, 1, 0));
    EXPECT_FLOAT_EQ(lines[5].y2(), g.valueToY(0, 1, 0));

    g.xScale = 25;  // two pixels per sample: one segment per sample, the first one left out
    ScopeTrace::build(g, 999999, *track, lines);
    EXPECT_EQ(lines.size(), 499u);
    EXPECT_EQ(lines.front(), QLineF(2, g.valueToY(1, 1, 0), 4, g.valueToY(2, 1, 0)));
}

class ScopeDrawing : public ::testing::Test {
protected:
    ScopeDrawing()
    {
        f.scope->setGridVisible(false);
        f.scope->Redraw();
    }
    ScopeFixture f;
    Oscilloscope &scope = *f.scope;
};

TEST_F(ScopeDrawing, ATraceOfKnownSamplesLightsItsPixelsInTheTrackColour)
{
    scope.setXScale(25);  // 2 pixels per sample
    scope.Tracks().Add();
    // y = 200 - v x 50: a ramp one pixel up per sample.
    for (int k = 0; k < 150; ++k)
        f.feed({k * 0.02f});
    for (const bool fullRedraw : {false, true}) {
        if (fullRedraw)
            scope.Redraw();
        const QImage image = f.pixels();
        // The newest sample ends the last segment, whose end pixel is left out as on any raster line.
        for (int k = 2; k < 149; ++k)
            EXPECT_TRUE(litNear(image, 2 * k, 200.0f - k, Red)) << "sample " << k << " full " << fullRedraw;
        // Nothing right of the newest sample, and nothing but trace and background anywhere.
        for (int x = 300; x < image.width(); ++x)
            EXPECT_TRUE(ScopeFixture::rowsOfColour(image, x, Red).empty()) << x;
        EXPECT_EQ(ScopeFixture::countColour(image, Red) + ScopeFixture::countColour(image, Black),
                  image.width() * image.height());
    }
}

TEST_F(ScopeDrawing, ALevelLineLiesAtTheValuesRow)
{
    const auto track = scope.Tracks().Add(QStringLiteral("X"), 0xFF, 0, 1, 2, 1);
    track->LevelLines().Add(5, 0xFF00);
    const float y = scope.ValueToY(5, *track);
    ASSERT_EQ(y, 100.0f);
    scope.Redraw();
    const QImage image = f.pixels();
    int onRow = 0;
    for (int x = 0; x < image.width(); ++x)
        onRow += image.pixel(x, 100) == Green;
    EXPECT_EQ(onRow, image.width());
    EXPECT_EQ(ScopeFixture::countColour(image, Green), image.width());

    // The lines of a hidden track are not drawn.
    track->setVisible(false);
    scope.Redraw();
    EXPECT_EQ(ScopeFixture::countColour(f.pixels(), Green), 0);
}

TEST_F(ScopeDrawing, EqualSamplesInColumnModeGiveATickOfAboutOnePixel)
{
    ASSERT_GT(scope.XScale() * scope.SamplesPerSecond() / 1000 / scope.XGridSpacing(), 1.0f);
    scope.Tracks().Add();
    for (int k = 0; k < 400; ++k)
        f.feed({0});
    scope.Redraw();
    const QImage image = f.pixels();
    for (int x = 1; x < 20; ++x) {
        const auto rows = ScopeFixture::rowsOfColour(image, x, Red);
        ASSERT_GE(rows.size(), 1u) << x;
        EXPECT_LE(rows.size(), 2u) << x;
        EXPECT_GE(rows.front(), 199) << x;
        EXPECT_LE(rows.back(), 201) << x;
    }
    EXPECT_TRUE(ScopeFixture::rowsOfColour(image, 25, Red).empty());

    // Samples that swing from -1 to 1 within a column fill it from y = 150 to y = 250.
    for (int k = 0; k < 400; ++k)
        f.feed({k % 2 ? 1.0f : -1.0f});
    scope.Redraw();
    const auto rows = ScopeFixture::rowsOfColour(f.pixels(), 30, Red);
    ASSERT_FALSE(rows.empty());
    EXPECT_NEAR(rows.front(), 150, 1);
    EXPECT_NEAR(rows.back(), 250, 1);
}

TEST(ScopeDecimation, IncrementalDrawingJoinsEveryNthSampleToTheNthBefore)
{
    PropertyBag stored;
    stored.WriteProperty(QStringLiteral("RealTimeViewDecimation"), 4, 1);
    stored.WriteProperty(QStringLiteral("GridVisible"), false, true);
    stored.WriteProperty(QStringLiteral("XScale"), 25.0f, 1000.0f);  // 2 pixels per sample
    ScopeFixture f(500, 400, &stored);
    f.scope->Redraw();
    f.scope->Tracks().Add();
    for (int k = 0; k < 10; ++k)
        f.feed({static_cast<float>(k % 2)});  // rows 200, 150, 200, 150, ...
    // Drawn at samples 3 and 7 only; the second segment joins 3 to 7 (x 6 to 14), both at row 150,
    // so the zigzag between them never shows, and samples 8 and 9 wait for the next step.
    const QImage image = f.pixels();
    const QRgb red = ScopeFixture::rgb(0xFF);
    for (int x = 7; x < 14; ++x)
        EXPECT_EQ(ScopeFixture::rowsOfColour(image, x, red), std::vector<int>{150}) << x;
    for (int x = 15; x < 40; ++x)
        EXPECT_TRUE(ScopeFixture::rowsOfColour(image, x, red).empty()) << x;
}

TEST_F(ScopeDrawing, NothingWrittenSinceTheSweepRestartDrawsNoTrace)
{
    scope.Tracks().Add();
    for (int k = 0; k < 300; ++k)
        f.feed({1});
    scope.Clear();
    ASSERT_EQ(scope.XOffset(), scope.BufferPtr());
    EXPECT_EQ(ScopeFixture::countColour(f.pixels(), Red), 0);
}

TEST_F(ScopeDrawing, SamplesFarOutsideTheScreenAreClippedNotLost)
{
    scope.setXScale(25);
    scope.Tracks().Add();
    for (int k = 0; k < 100; ++k)
        f.feed({k % 2 ? 1e30f : -1e30f});
    scope.Redraw();
    const QImage image = f.pixels();
    // Every segment crosses the whole height midway between its samples.
    for (int x = 11; x < 190; x += 20)
        EXPECT_GE(ScopeFixture::rowsOfColour(image, x, Red).size(), 399u) << x;
}

TEST_F(ScopeDrawing, GridAndValueLabels)
{
    scope.setGridVisible(true);
    scope.Redraw();
    QImage image = f.pixels();
    EXPECT_FALSE(ScopeFixture::rowsOfColour(image, 50, Grey).empty());
    // The zero line is solid, the others dotted.
    int zeroRow = 0, dottedRow = 0;
    for (int x = 0; x < image.width(); ++x) {
        zeroRow += image.pixel(x, 200) == Grey;
        dottedRow += image.pixel(x, 150) == Grey;
    }
    EXPECT_EQ(zeroRow, image.width());
    EXPECT_GT(dottedRow, image.width() / 5);
    EXPECT_LT(dottedRow, image.width() * 2 / 3);
    EXPECT_EQ(ScopeFixture::countColour(image, White), 0);  // no panel track, no labels

    scope.Tracks().Add();
    scope.Redraw();  // chooses the panel track
    scope.Redraw();
    image = f.pixels();
    int labelPixels = 0;
    for (int y = 100; y < 112; ++y)
        for (int x = 10; x < 40; ++x)
            labelPixels += image.pixel(x, y) == White;
    EXPECT_GT(labelPixels, 0);

    scope.setGridVisible(false);
    scope.Redraw();
    image = f.pixels();
    EXPECT_EQ(ScopeFixture::countColour(image, Grey), 0);
    EXPECT_EQ(ScopeFixture::countColour(image, White), 0);
}

TEST_F(ScopeDrawing, TriggerMarksAreFullHeightColumns)
{
    scope.setXScale(25);
    scope.Tracks().Add(QString(), 0xFF, 0, 1, 1, -100);  // trace far below the screen
    for (int k = 0; k < 100; ++k) {
        scope.Tracks().Item(1)->SetPoint(0);
        scope.setTrigger(k == 40);
        scope.DrawPoint();
    }
    // The incremental drawing marks every trigger point; the full redraw only with ShowTrigger.
    EXPECT_EQ(litColumns(f.pixels(), White), 1);
    scope.Redraw();
    EXPECT_EQ(litColumns(f.pixels(), White), 0);
    scope.setShowTrigger(true);
    const QImage image = f.pixels();
    EXPECT_EQ(litColumns(image, White), 1);
    EXPECT_EQ(ScopeFixture::rowsOfColour(image, 80, White).size(), 400u);
    scope.setTrigger(true);
    scope.DrawPoint();
    EXPECT_EQ(litColumns(f.pixels(), White), 2);
}

TEST_F(ScopeDrawing, CursorsAppearAndDisappearWithTheirStates)
{
    QWidget *canvas = f.canvas();
    const auto release = [&](int x) { QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(x, 50)); };

    release(100);  // not held: no cursors
    EXPECT_EQ(scope.CursorState(), 0);
    EXPECT_EQ(scope.CursorPos1(), -1);
    EXPECT_EQ(scope.CursorPos2(), -1);
    EXPECT_EQ(litColumns(f.pixels(), White), 0);

    scope.setHold(true);
    release(100);
    EXPECT_EQ(scope.CursorState(), 1);
    EXPECT_EQ(litColumns(f.pixels(), White), 1);
    QTest::mouseMove(canvas, QPoint(250, 60));
    QTest::mouseMove(canvas, QPoint(200, 60));  // the second cursor follows the mouse
    QImage image = f.pixels();
    EXPECT_EQ(litColumns(image, White), 2);
    EXPECT_EQ(ScopeFixture::rowsOfColour(image, 200, White).size(), 400u);
    EXPECT_EQ(ScopeFixture::rowsOfColour(image, 250, White).size(), 0u);

    release(200);
    EXPECT_EQ(scope.CursorState(), 2);
    EXPECT_EQ(scope.CursorPos1(), scope.BufferPos(100));
    EXPECT_EQ(scope.CursorPos2(), scope.BufferPos(200));
    EXPECT_EQ(litColumns(f.pixels(), White), 2);

    release(300);  // both go, the first comes back at 300
    EXPECT_EQ(scope.CursorState(), 1);
    EXPECT_EQ(scope.CursorX1(), 300.0f);
    image = f.pixels();
    EXPECT_EQ(litColumns(image, White), 1);
    EXPECT_EQ(ScopeFixture::rowsOfColour(image, 300, White).size(), 400u);

    // A full redraw keeps the cursors; leaving hold removes them.
    release(120);
    scope.Redraw();
    EXPECT_EQ(litColumns(f.pixels(), White), 2);
    scope.setHold(false);
    EXPECT_EQ(scope.CursorState(), 0);
    EXPECT_EQ(litColumns(f.pixels(), White), 0);
}

TEST_F(ScopeDrawing, AMovingCursorInvertsTheTraceUnderItAndRestoresIt)
{
    scope.setXScale(25);
    scope.Tracks().Add(QString(), 0xFF, 0, 1, 1, 0);
    for (int k = 0; k < 200; ++k)
        f.feed({0});  // a red line on row 200
    scope.setHold(true);
    const QImage before = f.pixels();
    QWidget *canvas = f.canvas();
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(40, 10));
    QTest::mouseMove(canvas, QPoint(100, 10));
    QImage image = f.pixels();
    EXPECT_EQ(image.pixel(100, 50), White);
    EXPECT_EQ(image.pixel(100, 200), qRgb(0, 255, 255));  // red inverted
    QTest::mouseMove(canvas, QPoint(120, 10));
    image = f.pixels();
    EXPECT_EQ(image.pixel(100, 200), before.pixel(100, 200));
    EXPECT_EQ(image.pixel(100, 50), before.pixel(100, 50));
}

TEST_F(ScopeDrawing, CursorStateMachineAndPlacement)
{
    QWidget *canvas = f.canvas();
    scope.setHold(true);
    for (const int x : {100, 300, 200})
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(x, 50));
    EXPECT_EQ(scope.CursorX1(), 200.0f);
    EXPECT_EQ(scope.CursorState(), 1);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(150, 50));
    // The left cursor is the smaller column whichever was placed first.
    EXPECT_EQ(scope.CursorPos1(), scope.BufferPos(150));
    EXPECT_EQ(scope.CursorPos2(), scope.BufferPos(200));

    // 20 samples per pixel: sample 5000 lies at column 250.
    scope.setCursorPos1(5000);  // right of the second cursor: they swap
    EXPECT_EQ(scope.CursorX1(), 150.0f);
    EXPECT_EQ(scope.CursorX2(), 250.0f);
    scope.setCursorPos2(1000);  // left of the first: they swap
    EXPECT_EQ(scope.CursorX1(), 50.0f);
    EXPECT_EQ(scope.CursorX2(), 150.0f);
    EXPECT_EQ(scope.CursorState(), 2);
}

TEST_F(ScopeDrawing, ResizeRestartsTheDebouncedRedrawAndAFullRedrawCancelsIt)
{
    auto *timer = scope.findChild<QTimer *>(QStringLiteral("tmrRedraw"));
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    f.canvas()->setFixedSize(300, 200);
    QTest::qWait(50);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
    scope.Redraw();
    EXPECT_FALSE(timer->isActive());

    // Left alone, the timer redraws at the new size.
    f.canvas()->setFixedSize(320, 220);
    scope.Tracks().Add();
    QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), 2000);
    EXPECT_EQ(f.pixels().size(), QSize(320, 220));
    EXPECT_EQ(scope.PanelTrack(), scope.Tracks().Item(1));
}
