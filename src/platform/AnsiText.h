#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The 8-bit character set of the program's text files (Windows-1252): every byte decodes to one
// character and encodes back to the same byte, so lines the program does not understand survive
// a rewrite unchanged. Characters outside the set encode as "?".
namespace platform::ansi {

QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);
// True when encode() keeps every character of the text.
bool canEncode(QStringView text);

}  // namespace platform::ansi
