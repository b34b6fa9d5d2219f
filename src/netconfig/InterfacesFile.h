#pragma once

#include <QList>
#include <QString>
#include <optional>

// The interface names file: one line "[MAC] name" per module, CR LF line ends, UTF-8, or Unicode
// text behind a byte-order mark, written back in its own encoding; lines of any other form may
// stand in it. Bytes that are not UTF-8 read as the replacement character, never as some 8-bit
// character set, and a line the console does not change is kept byte for byte.
namespace InterfacesFile {

struct ModuleLine {
    QString mac;
    QString name;
};

// A trimmed line that begins with "[" and holds a "]" later on: the MAC text between the first
// "[" and the first "]", the name after it without its blanks. nullopt for any other line.
std::optional<ModuleLine> ParseModuleLine(const QString &line);

// Every module line of the file, in order, whatever its MAC text; none when the file does not
// exist or cannot be read.
QList<ModuleLine> ReadModuleLines(const QString &path);

// The name of the first module line whose MAC text equals mac exactly; empty when there is none.
QString ReadDeviceName(const QString &path, const QString &mac);

// Stores the name: every module line of the MAC is replaced in place, the other lines kept in
// their order; without such a line "[MAC] name" is added at the end (the file is created when
// missing, and a last line without its line end gets one first). False when the file could not
// be read or written; it is then left as it was.
bool WriteDeviceName(const QString &path, const QString &mac, const QString &name);

}  // namespace InterfacesFile
