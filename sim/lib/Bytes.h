#pragma once

#include <QByteArray>

namespace devsim {

// Modbus sends 16-bit fields high byte first.
inline quint16 wordAt(const QByteArray &bytes, int at)
{
    return static_cast<quint16>((static_cast<quint8>(bytes.at(at)) << 8) | static_cast<quint8>(bytes.at(at + 1)));
}

inline void appendWord(QByteArray &bytes, quint16 value)
{
    bytes.append(static_cast<char>(value >> 8));
    bytes.append(static_cast<char>(value & 0xFF));
}

}  // namespace devsim
