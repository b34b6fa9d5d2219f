#pragma once

#include <QColor>
#include <cstdint>

namespace platform {

// Colours are stored as 0x00BBGGRR (red in the low byte).
inline QColor toQColor(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

inline uint32_t fromQColor(const QColor &color)
{
    return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
           (static_cast<uint32_t>(color.blue()) << 16);
}

}  // namespace platform
