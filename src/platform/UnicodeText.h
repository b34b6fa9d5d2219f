#pragma once

#include <QByteArray>
#include <QString>

// Text files that begin with a byte-order mark, as Windows tools save "Unicode" and "UTF-8" text.
namespace platform::unicode {

enum class Encoding { None, Utf8, Utf16LE, Utf16BE };

// The encoding the file's byte-order mark names; None when it has none.
Encoding byteOrderMark(const QByteArray &bytes);
// The text after the mark; a file without one is 8-bit text.
QString decode(const QByteArray &bytes, Encoding encoding);
// The text with the encoding's mark in front; 8-bit text for None.
QByteArray encode(const QString &text, Encoding encoding);

}  // namespace platform::unicode
