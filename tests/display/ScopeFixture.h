#pragma once

#include "display/Oscilloscope.h"
#include "platform/Color.h"

#include <QImage>
#include <QTest>
#include <memory>

// An oscilloscope on screen with a drawing area of an exact size, and a look at its pixels.
class ScopeFixture {
public:
    explicit ScopeFixture(int width = 500, int height = 400, const PropertyBag *stored = nullptr)
        : scope(stored ? std::make_unique<Oscilloscope>(*stored) : std::make_unique<Oscilloscope>())
    {
        canvas()->setFixedSize(width, height);
        scope->show();
        exposed = QTest::qWaitForWindowExposed(scope.get());
    }

    QWidget *canvas() const { return scope->findChild<QWidget *>(QStringLiteral("picScope")); }

    // What the drawing area shows now.
    QImage pixels() const { return canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Sets the next sample of every track (one value per track, in order) and closes the period.
    void feed(std::initializer_list<float> values)
    {
        int k = 1;
        for (const float v : values)
            scope->Tracks().Item(k++)->SetPoint(v);
        scope->DrawPoint();
    }

    static QRgb rgb(int32_t bgr) { return platform::toQColor(static_cast<uint32_t>(bgr)).rgb(); }

    // Rows of column x whose pixel has the colour.
    static std::vector<int> rowsOfColour(const QImage &image, int x, QRgb colour)
    {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) == colour)
                rows.push_back(y);
        return rows;
    }

    static int countColour(const QImage &image, QRgb colour)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == colour;
        return n;
    }

    std::unique_ptr<Oscilloscope> scope;
    bool exposed = false;
};
