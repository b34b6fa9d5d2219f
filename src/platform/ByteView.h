#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>

namespace platform {

// The first count bytes of bytes (all of them when fewer), not copied: valid while bytes stays
// as it is.
inline QByteArrayView front(const QByteArray &bytes, qint64 count)
{
    return QByteArrayView(bytes).first(std::clamp<qint64>(count, 0, bytes.size()));
}

}  // namespace platform
