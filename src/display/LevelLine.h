#pragma once

#include <QString>
#include <cstdint>

// A horizontal reference line at a value in the units of the track that owns it. Data only: the
// oscilloscope draws it on its next full redraw.
class LevelLine {
public:
    float Value() const { return value_; }
    void setValue(float value) { value_ = value; }

    int32_t DrawColor() const { return drawColor_; }
    void setDrawColor(int32_t color) { drawColor_ = color; }

    int32_t DrawStyle() const { return drawStyle_; }
    void setDrawStyle(int32_t style) { drawStyle_ = style; }

    int32_t DrawWidth() const { return drawWidth_; }
    void setDrawWidth(int32_t width) { drawWidth_ = width; }

    const QString &Key() const { return key_; }
    void setKey(const QString &key) { key_ = key; }

private:
    float value_ = 0;
    int32_t drawColor_ = 0;
    int32_t drawStyle_ = 0;
    int32_t drawWidth_ = 0;
    QString key_;
};
