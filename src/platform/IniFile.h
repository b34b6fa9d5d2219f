#pragma once

#include "IniDocument.h"
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// INI files with the behaviour of the Windows profile functions: section and key names compared
// without case, names and values trimmed, the first of duplicate sections and keys wins, a value
// in matching quotes loses them, comments and unknown lines and their order survive a write, CR LF
// line ends, 8-bit text (UTF-8 when the file starts with a byte-order mark or its bytes are valid
// UTF-8 beyond ASCII, or when only UTF-8 holds what is written), and every write replaces the
// file atomically. Only ";" starts a comment line.
namespace platform::ini {

// A value longer than bufferSize - 1 characters comes back cut to that length; a value holding a
// NUL character ends before it. A missing file, section or key, or a key line without "=", gives
// defaultValue.
QString readString(const QString &file, const QString &section, const QString &key, const QString &defaultValue,
                   int bufferSize = 999);

// The leading (optionally signed) decimal digits of the value; 0 when the value holds none, and
// defaultValue when the key is missing or its value empty. The result is what a 32-bit profile
// reader returns (70000 stays 70000); a number beyond 32 bits gives defaultValue.
int32_t readInt(const QString &file, const QString &section, const QString &key, int32_t defaultValue);

// Section names in file order, each once, as far as they fit in bufferSize characters (each name
// plus its terminator, and a final terminator); a name that would be cut is left out.
QStringList sectionNames(const QString &file, int bufferSize = 999);

// Key names of the first section of that name in file order, each once (or, with Repeats::Listed,
// a key that stands twice twice, as the profile functions list them), fitted like sectionNames.
QStringList keyNames(const QString &file, const QString &section, int bufferSize = 999,
                     IniDocument::Repeats repeats = IniDocument::Repeats::Dropped);

// Why the file is not read (not a regular file, too large, unreadable); empty when it is read or
// missing. A refused file reads as missing and is never replaced by a write.
QString refusal(const QString &file);

// Sets a key, creating the file and section when missing. False when the file cannot be read or
// written (a read-only file stays as it is), or when a name would not read back: an empty name, a
// section name with "]", a key name with "=" or beginning with "[" or ";", a line break in a name.
// Line breaks in the value become blanks; a value with outer blanks or enclosing quotes is written
// in double quotes, so every value reads back as it was written.
bool writeString(const QString &file, const QString &section, const QString &key, const QString &value);

// Removes a key or a whole section. True when the key or section is gone afterwards (also when it
// never was there); false when the file cannot be written.
bool deleteKey(const QString &file, const QString &section, const QString &key);
bool deleteSection(const QString &file, const QString &section);

}  // namespace platform::ini
