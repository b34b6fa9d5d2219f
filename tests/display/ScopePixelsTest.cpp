// The oscilloscope's own drawing paths against plain references: direct thin lines against the
// painter, column fills against a pixel-by-pixel fill, the packed background against the picture
// it was packed from, and a kept background against one drawn afresh.

#include "ScopeFixture.h"
#include "display/ColumnSpans.h"
#include "display/PackedRows.h"
#include "display/ScopeBackground.h"
#include "display/ScopeSurface.h"
#include "display/ScopeTrace.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <tuple>

namespace {

QImage blank(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// Batches of lines as the traces give them: steps joined end to end, turning back and forth.
std::vector<std::vector<QLineF>> lineBatches(const QSize &size)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::vector<QLineF>> batches = {
        {{10, 10, 10, 30}, {10, 30, 11, 2}, {11, 2, 12, 40}},  // turns back, steep
        {{5, 5, 40, 6}, {40, 6, 3, 7}, {3, 7, 50, 5}},         // turns back, flat
        {{40, 30, 2, 3}},                                      // right to left first
        {{0, 0, 60, 46}, {60, 46, 0, 0}},
        {{-1e30, 20, 1e30, 25}, {30, -1e30, 31, 1e30}},      // far ends, cut at the margin first
        {{10.5, 3.5, 10.5, 3.5}, {-0.4, -0.4, -0.4, -0.4}},  // points
        {{nan, 1, 5, 5}, {3, 3, 9, nan}},
        {{60.4, 10, 61.6, 30}, {-1.7, 4, 0.2, 40}, {20, 46.6, 40, 47.4}},  // along the edges
        {{0.49, 0.51, 7.51, 3.49}, {7.51, 3.49, 8.5, 20.5}},               // half pixels
    };
    std::mt19937 random(3);
    std::uniform_real_distribution<double> x(-15, size.width() + 15);
    std::uniform_real_distribution<double> y(-15, size.height() + 15);
    std::uniform_real_distribution<double> step(-1.5, 2.5);
    for (int b = 0; b < 1500; ++b) {
        std::vector<QLineF> batch;
        QPointF at(x(random), y(random));
        for (int n = 1 + b % 7; n > 0; --n) {
            const QPointF next = b % 2 ? QPointF(at.x() + step(random), y(random)) : QPointF(x(random), y(random));
            batch.emplace_back(at, next);
            at = next;
        }
        batches.push_back(batch);
    }
    return batches;
}

}  // namespace

// One-pixel solid lines are written straight into the pixels; every other pen (wider, dotted)
// still goes through the painter.
TEST(ScopePixels, DirectThinLinesLightExactlyThePixelsThePainterLights)
{
    const QSize size(61, 47);
    int batchNumber = 0;
    for (const auto &batch : lineBatches(size)) {
        for (const auto &[style, width] : {std::pair(0, 1), std::pair(6, 0), std::pair(0, 3), std::pair(2, 1)}) {
            if (width != 1 && batchNumber % 10)
                continue;
            ScopeSurface surface;
            surface.resize(size);
            const QRect direct = surface.drawLines(batch, 0xFF, style, width);
            QImage reference = blank(size);
            QPainter painter(&reference);
            painter.setPen(ScopeSurface::pen(0xFF, style, width));
            const QRect painted = ScopeSurface::drawLines(painter, batch);
            painter.end();
            ASSERT_EQ(surface.screen(), reference)
                << "batch " << batchNumber << " style " << style << " width " << width;
            EXPECT_EQ(direct, painted) << "batch " << batchNumber;
            // The background is given back over the touched pixels only.
            painter.begin(&reference);
            painter.fillRect(direct, Qt::black);
            painter.end();
            EXPECT_EQ(reference, blank(size)) << "lit outside the touched pixels, batch " << batchNumber;
        }
        ++batchNumber;
    }
}

TEST(ScopePixels, ColumnFillsMatchAPixelByPixelFill)
{
    const QSize size(40, 300);  // taller than a band of rows
    std::mt19937 random(11);
    std::uniform_real_distribution<double> x(-5, 45), y(-10, 310);
    std::uniform_int_distribution<int> width(-1, 5);
    QImage image = blank(size);
    QImage reference = blank(size);
    CoveredColumns covered;
    covered.reset(size);
    ColumnSpans columns(image, covered);
    for (int round = 0; round < 300; ++round) {
        // Neighbouring columns of one colour, as a trace gives them, then odd ones and other colours.
        const int32_t colour = 0x10203 * (round % 5 + 1);
        const int pen = width(random);
        std::vector<QLineF> lines;
        const double start = x(random);
        for (int k = 0; k < 20; ++k) {
            const double column = round % 3 ? start + k : x(random);
            lines.emplace_back(column, y(random), column, y(random));
        }
        if (round % 7 == 0)
            lines.emplace_back(std::numeric_limits<double>::quiet_NaN(), 1, 3, 4);
        columns.add(lines, colour, pen);
        const QRgb pixel = platform::toQColor(static_cast<uint32_t>(colour)).rgb();
        const int w = std::clamp(pen, 1, 64);
        for (const QLineF &line : lines) {
            if (!std::isfinite(line.x1()))
                continue;
            const auto row = [&](double v) { return static_cast<int>(std::clamp(std::floor(v), 0.0, 300.0)); };
            const int left = static_cast<int>(std::floor(line.x1())) - (w - 1) / 2;
            for (int px = std::max(left, 0); px < std::min(left + w, size.width()); ++px)
                for (int py = row(std::min(line.y1(), line.y2())); py < row(std::max(line.y1(), line.y2())); ++py)
                    reference.setPixel(px, py, pixel);
        }
        if (round % 4 == 3) {
            columns.fill();
            ASSERT_EQ(image, reference) << "round " << round;
        }
        if (round % 12 == 11) {
            // Clearing what the spans cover clears everything they lit.
            covered.take([&image](int y, int left, int right) {
                std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(y)) + left, right - left, QRgb(0xFF000000));
            });
            ASSERT_EQ(image, blank(size)) << "lit outside the covered columns, round " << round;
            reference = image;
        }
    }
}

// Steps past the last slot of the ring go on at slot 0, for shifted tracks too.
TEST(ScopeTrace, StepsReadTheirSlotsAcrossTheRingEnd)
{
    Oscilloscope scope;
    scope.setBufferSize(999);
    const auto track = scope.Tracks().Add();
    for (int i = 0; i < 1000; ++i)
        track->setBuffer(i, static_cast<float>(i % 10 + 10 * (i % 3)));
    ScopeGeometry g;
    g.width = 100;
    g.height = 400;
    g.bufferSize = 999;
    g.xOffset = 980;
    const auto y = [&](int64_t sample) { return g.valueToY(track->Buffer(sample), 1, 0); };
    std::vector<QLineF> lines;
    for (const float shift : {0.0f, 3.0f, -2.0f}) {
        track->setXOffset(shift);
        g.xScale = 25;  // two pixels a sample: steps 0 to 50, the segment from the left edge left out
        ScopeTrace::build(g, 500, *track, lines);
        ASSERT_EQ(lines.size(), 49u) << shift;
        for (int k = 2; k <= 50; ++k)
            EXPECT_EQ(lines[k - 2].y2(), y(980 + k - static_cast<int>(shift))) << "shift " << shift << " step " << k;
        g.xScale = 100;  // two samples a pixel: the column closing at step 2c spans steps 2c - 2 to 2c
        ScopeTrace::build(g, 500, *track, lines);
        for (int c = 1; c < 100; ++c) {
            const int64_t last = 980 + 2 * c - static_cast<int>(shift);
            const float values[] = {y(last - 2), y(last - 1), y(last)};
            EXPECT_EQ(lines[c].y1(), *std::min_element(values, values + 3)) << "shift " << shift << " column " << c;
        }
    }
    // A column that opens with a sample that is not a number has no line; one that closes with it
    // has.
    track->setXOffset(0);
    track->setBuffer(980 + 20, std::numeric_limits<float>::quiet_NaN());
    ScopeTrace::build(g, 500, *track, lines);
    EXPECT_TRUE(std::isnan(lines[11].y1()));
    EXPECT_EQ(lines[10].y1(), std::min(y(998), y(999)));
}

TEST(ScopePixels, PackedRowsGiveBackThePictureInLittleMemory)
{
    ScopeBackground background;
    background.size = QSize(640, 480);
    background.gridVisible = true;
    background.gridColor = 0x808080;
    background.backColor = 0x200010;
    for (int i = 0; i < 11; ++i)
        background.labels.append(QString::number(40 - 8 * i));
    background.levels = {{100.5f, 0xFF, 1, 1}, {300, 0xFF00, 3, 5}};
    QImage grid(background.size, QImage::Format_RGB32);
    background.draw(grid);

    QImage noise(97, 31, QImage::Format_RGB32);
    std::mt19937 random(5);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random() % 4 ? 0xFF000000 : random() | 0xFF000000);

    for (const QImage &picture : {grid, noise}) {
        PackedRows packed;
        packed.pack(picture);
        QImage copy = blank(picture.size());
        packed.unpack(copy);
        EXPECT_EQ(copy, picture);
    }
    PackedRows packed;
    packed.pack(grid);
    EXPECT_LT(packed.bytes(), grid.sizeInBytes() / 20);
}

namespace {

// A scope with grid, labels, a level line and a trace, its background drawn once already.
void setUpScope(Oscilloscope &scope)
{
    scope.setXScale(25);
    const auto track = scope.Tracks().Add(QStringLiteral("X"), 0xFF, 0, 1, 2, 1);
    track->LevelLines().Add(3, 0xFF00, 2, 1);
    for (int k = 0; k < 200; ++k)
        track->setBuffer(k, std::sin(k * 0.1f) * 4);
    scope.setXOffset(1);
    scope.setHold(true);
}

}  // namespace

// Everything the background shows must renew it; a kept background that missed a change would
// show the old grid, labels or level lines until the size changed. And a redraw over a kept
// background must leave nothing of the traces it replaces.
TEST(ScopePixels, AChangedBackgroundIsDrawnAfreshAndAnUnchangedOneKept)
{
    const std::vector<std::pair<const char *, std::function<void(Oscilloscope &)>>> changes = {
        {"nothing", [](Oscilloscope &) {}},
        {"back colour", [](Oscilloscope &s) { s.setBackColor(0x402000); }},
        {"grid colour", [](Oscilloscope &s) { s.setGridColor(0x00FFFF); }},
        {"grid hidden", [](Oscilloscope &s) { s.setGridVisible(false); }},
        {"x grid", [](Oscilloscope &s) { s.setXGridSpacing(40); }},
        {"y grid", [](Oscilloscope &s) { s.setYGridSpacing(37.5f); }},
        {"zero line", [](Oscilloscope &s) { s.setZeroPosition(0.3f); }},
        {"labels by scale", [](Oscilloscope &s) { s.Tracks().Item(1)->setYScale(5); }},
        {"labels by offset", [](Oscilloscope &s) { s.Tracks().Item(1)->setYOffset(-2); }},
        {"level value", [](Oscilloscope &s) { s.Tracks().Item(1)->LevelLines().Item(1)->setValue(-1); }},
        {"level colour", [](Oscilloscope &s) { s.Tracks().Item(1)->LevelLines().Item(1)->setDrawColor(0xFFFF); }},
        {"level style", [](Oscilloscope &s) { s.Tracks().Item(1)->LevelLines().Item(1)->setDrawStyle(0); }},
        {"level width", [](Oscilloscope &s) { s.Tracks().Item(1)->LevelLines().Item(1)->setDrawWidth(3); }},
        {"track hidden", [](Oscilloscope &s) { s.Tracks().Item(1)->setVisible(false); }},
        {"cursors placed",
         [](Oscilloscope &s) {
             auto *canvas = s.findChild<QWidget *>(QStringLiteral("picScope"));
             QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(30, 50));
             QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(300, 50));
         }},
    };
    using Step = std::function<void(Oscilloscope &)>;
    const Step &nothing = changes.front().second;
    const auto compare = [](const char *name, const Step &first, const Step &second) {
        ScopeFixture kept;
        setUpScope(*kept.scope);
        first(*kept.scope);
        kept.scope->Redraw();
        second(*kept.scope);
        kept.scope->Redraw();

        ScopeFixture fresh;
        setUpScope(*fresh.scope);
        first(*fresh.scope);
        second(*fresh.scope);
        fresh.scope->Redraw();
        EXPECT_EQ(kept.pixels(), fresh.pixels()) << name;
    };
    for (const auto &[name, change] : changes)
        compare(name, nothing, change);
    // A redraw gives the background back only where the traces covered it: whatever the scope
    // showed first, the second picture is the one a first redraw would show.
    const auto columns = [](int32_t offset) {
        return [offset](Oscilloscope &s) {
            s.setXScale(400);  // 8 samples a pixel: the 200 written samples cover 25 columns
            s.setXOffset(offset);
        };
    };
    const std::vector<std::tuple<const char *, Step, Step>> pictures = {
        {"columns after segments", nothing, columns(1)},
        {"segments after columns", columns(1), [](Oscilloscope &s) { s.setXScale(25); }},
        {"columns after wide dashed segments",
         [](Oscilloscope &s) {
             s.Tracks().Item(1)->setDrawWidth(7);
             s.Tracks().Item(1)->setDrawStyle(1);
         },
         [&columns](Oscilloscope &s) {
             s.Tracks().Item(1)->setDrawWidth(1);
             s.Tracks().Item(1)->setDrawStyle(0);
             columns(1)(s);
         }},
        {"columns moved", columns(1), columns(-60)},
    };
    for (const auto &[name, first, second] : pictures)
        compare(name, first, second);
}

// Restarting the sweep clears the screen back to the background of the last full redraw.
TEST(ScopePixels, ASweepRestartShowsTheKeptBackground)
{
    ScopeFixture f;
    Oscilloscope &scope = *f.scope;
    scope.setXScale(25);  // 250 samples across
    scope.Tracks().Add(QString(), 0xFF, 0, 1, 1, 0)->LevelLines().Add(2, 0xFF00, 1, 2);
    scope.Redraw();
    scope.Redraw();
    const QImage background = f.pixels();
    QPainter(scope.hDC()).fillRect(300, 10, 20, 20, Qt::white);  // the host's own drawing goes too
    for (int k = 0; k < 280; ++k)
        f.feed({std::sin(k * 0.2f) * 3});
    const QImage image = f.pixels();
    // The sweep restarted at sample 251: the 29 samples since reach x = 56, and right of them the
    // traces of the last sweep are gone.
    EXPECT_EQ(image.copy(60, 0, 440, 400), background.copy(60, 0, 440, 400));
    EXPECT_NE(image.copy(0, 0, 56, 400), background.copy(0, 0, 56, 400));
}
