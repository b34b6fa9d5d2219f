#pragma once

#include <QStringEncoder>

// Text as a Windows tool saves it as "Unicode" or "UTF-8": with its byte-order mark.
inline QByteArray markedText(QStringConverter::Encoding encoding, const char *utf8)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(QString::fromUtf8(utf8));
}
