#pragma once

#include <QByteArray>

namespace devsim {

// CRC-16/MODBUS: initial value 0xFFFF, reflected polynomial 0xA001; sent low byte first.
quint16 crc16(const char *data, qsizetype length);

inline quint16 crc16(const QByteArray &bytes)
{
    return crc16(bytes.constData(), bytes.size());
}

}  // namespace devsim
