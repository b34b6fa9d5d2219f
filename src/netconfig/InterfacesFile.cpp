#include "InterfacesFile.h"

#include "platform/AnsiText.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/UnicodeText.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace InterfacesFile {

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");
// Far beyond any names file: a device file or a huge file put in its place is not read.
constexpr qint64 SizeLimit = 1024 * 1024;

// The lines of a text whose lines end in CR LF, LF or CR; the end of the last one is optional.
QStringList splitLines(const QByteArray &content)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = platform::unicode::decode(content, platform::unicode::byteOrderMark(content)).split(lineEnd);
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QByteArray> readAll(const QString &path)
{
    QString refusal;
    return platform::readRegularFile(path, SizeLimit, refusal);
}

QString moduleLine(const QString &mac, const QString &name)
{
    return QLatin1Char('[') + mac + QStringLiteral("] ") + name;
}

}  // namespace

std::optional<ModuleLine> ParseModuleLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'), 1);
    if (close < 0)
        return std::nullopt;
    return ModuleLine{trimmed.mid(1, close - 1), trimmed.mid(close + 1).trimmed()};
}

QList<ModuleLine> ReadModuleLines(const QString &path)
{
    QList<ModuleLine> modules;
    const std::optional<QByteArray> content = readAll(path);
    if (!content)
        return modules;
    for (const QString &line : splitLines(*content)) {
        if (std::optional<ModuleLine> module = ParseModuleLine(line))
            modules.append(std::move(*module));
    }
    return modules;
}

QString ReadDeviceName(const QString &path, const QString &mac)
{
    const QList<ModuleLine> modules = ReadModuleLines(path);
    for (const ModuleLine &module : modules) {
        if (module.mac == mac)
            return module.name;
    }
    return {};
}

bool WriteDeviceName(const QString &path, const QString &mac, const QString &name)
{
    QByteArray content;
    // A file that exists but cannot be read must not be replaced by the one new line.
    if (QFileInfo::exists(path)) {
        const std::optional<QByteArray> existing = readAll(path);
        if (!existing)
            return false;
        content = *existing;
    }
    QStringList lines = splitLines(content);
    bool replaced = false;
    for (QString &line : lines) {
        const std::optional<ModuleLine> module = ParseModuleLine(line);
        if (module && module->mac == mac) {
            line = moduleLine(mac, name);
            replaced = true;
        }
    }
    // A Unicode file is written back whole in its own encoding.
    const platform::unicode::Encoding encoding = platform::unicode::byteOrderMark(content);
    if (encoding != platform::unicode::Encoding::None) {
        if (!replaced)
            lines << moduleLine(mac, name);
        content = platform::unicode::encode(lines.join(QLatin1String(LineEnd)) + QLatin1String(LineEnd), encoding);
    } else if (replaced) {
        content.clear();
        for (const QString &line : lines)
            content += platform::ansi::encode(line) + LineEnd;
    } else {
        // Otherwise the new line would be joined to the last one.
        if (!content.isEmpty() && !content.endsWith('\n') && !content.endsWith('\r'))
            content += LineEnd;
        content += platform::ansi::encode(moduleLine(mac, name)) + LineEnd;
    }
    return platform::replaceFileAtomically(path, content);
}

}  // namespace InterfacesFile
