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
// True when a text file's bytes are UTF-8 rather than 8-bit text: they begin with the UTF-8
// byte-order mark, or are valid UTF-8 beyond plain ASCII (as Linux editors save them).
bool readsAsUtf8(QByteArrayView bytes);

}  // namespace platform::ansi
