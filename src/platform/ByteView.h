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

// bytes written over block: its memory is kept when no copy shares it and it is large enough, so
// a reader handed back the block of its last frame copies the next without allocating.
inline void assign(QByteArray &block, QByteArrayView bytes)
{
    block.resize(bytes.size());
    std::copy_n(bytes.data(), bytes.size(), block.data());
}

}  // namespace platform
