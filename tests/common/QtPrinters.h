#pragma once

#include <QRect>
#include <QString>
#include <ostream>

// Readable failure messages for Qt texts (and lists of them).
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline std::ostream &operator<<(std::ostream &out, const QRect &rect)
{
    return out << rect.x() << ',' << rect.y() << ' ' << rect.width() << 'x' << rect.height();
}
