#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// INI files with the behaviour of the Windows profile functions: section and key names compared
// without case, names and values trimmed, the first of duplicate keys wins, a value in matching
// double quotes loses them, comments and unknown lines and their order survive a write, CR LF line
// ends, and every write replaces the file atomically.
namespace platform::ini {

// A value longer than bufferSize - 1 characters comes back cut to that length. A missing file,
// section or key gives defaultValue.
QString readString(const QString &file, const QString &section, const QString &key, const QString &defaultValue,
                   int bufferSize = 999);

// The leading (optionally signed) decimal digits of the value; defaultValue when the key is missing
// or holds no digits. The result is what a 32-bit profile reader returns.
int32_t readInt(const QString &file, const QString &section, const QString &key, int32_t defaultValue);

// Section names in file order, as far as they fit in bufferSize characters (each name plus its
// terminator).
QStringList sectionNames(const QString &file, int bufferSize = 999);

// Key names of a section in file order, first occurrence only, as far as they fit in bufferSize.
QStringList keyNames(const QString &file, const QString &section, int bufferSize = 999);

// Sets a key, creating the file and section when missing. False when the file cannot be written.
bool writeString(const QString &file, const QString &section, const QString &key, const QString &value);

// Removes a key or a whole section. False when the file cannot be written.
bool deleteKey(const QString &file, const QString &section, const QString &key);
bool deleteSection(const QString &file, const QString &section);

}  // namespace platform::ini
