#pragma once

#include "display/LevelLines.h"
#include "display/TrackSamples.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>

class Oscilloscope;

// One signal of the oscilloscope: drawing attributes, vertical scale and offset, unit, name and its
// own slot in every position of the shared sample ring. Data only: nothing here draws.
class Track {
public:
    bool Visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }

    float YOffset() const { return yOffset_; }
    void setYOffset(float offset) { yOffset_ = offset; }

    // Units per vertical division; a value <= 0 or not a number raises &H80040001 "Invalid YScale".
    float YScale() const { return yScale_; }
    void setYScale(float scale);

    int32_t DrawWidth() const { return drawWidth_; }
    void setDrawWidth(int32_t width) { drawWidth_ = width; }

    int32_t DrawStyle() const { return drawStyle_; }
    void setDrawStyle(int32_t style) { drawStyle_ = style; }

    int32_t DrawColor() const { return drawColor_; }
    void setDrawColor(int32_t color) { drawColor_ = color; }

    // Stores the sample of the open sample period at the parent's write position (not while the
    // parent holds). Magnitudes above 1E30 are clamped. Raises when the track has no parent.
    void SetPoint(float value);

    // Sample access through the parent's index wrap; the setter writes whatever the hold state.
    float Buffer(int64_t index) const;
    void setBuffer(int64_t index, float value);

    // Created on first use.
    ::LevelLines &LevelLines();

    // Horizontal shift in samples: this track shows its sample i where an unshifted one shows i + d.
    float XOffset() const { return xOffset_; }
    void setXOffset(float offset) { xOffset_ = offset; }

    const QString &Tag() const { return tag_; }
    void setTag(const QString &tag) { tag_ = tag; }

    const QString &Key() const { return key_; }
    void setKey(const QString &key) { key_ = key; }

    const QString &MeasureUnit() const { return measureUnit_; }
    void setMeasureUnit(const QString &unit) { measureUnit_ = unit; }

    Oscilloscope *Parent() const;

    // Direct read of the samples for drawing loops (no parent needed): slots 0..size - 1.
    const TrackSamples &Samples() const { return samples_; }

private:
    friend class Oscilloscope;

    // Binds the track to its oscilloscope and gives it an empty buffer of the ring's size.
    void SetParent(Oscilloscope *parent);
    const Oscilloscope &parent() const;
    std::size_t slot(int64_t index) const;

    int32_t drawColor_ = 0;
    int32_t drawStyle_ = 0;
    int32_t drawWidth_ = 0;
    float yScale_ = 1;
    float yOffset_ = 0;
    float xOffset_ = 0;
    bool visible_ = false;
    QString key_;
    QString measureUnit_;
    QPointer<Oscilloscope> parent_;
    TrackSamples samples_;
    std::unique_ptr<::LevelLines> levelLines_;
    QString tag_;
};
