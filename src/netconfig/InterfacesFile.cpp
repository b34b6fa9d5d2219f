#include "InterfacesFile.h"

#include "platform/AnsiText.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/UnicodeText.h"
#include "session/mdlMain.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace InterfacesFile {

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// The file's text as the INI files are read: by its byte-order mark, else UTF-8 where its bytes
// read as UTF-8, else 8-bit text.
QString decode(const QByteArray &content)
{
    const platform::unicode::Encoding encoding = platform::unicode::byteOrderMark(content);
    if (encoding != platform::unicode::Encoding::None)
        return platform::unicode::decode(content, encoding);
    return platform::ansi::readsAsUtf8(content) ? QString::fromUtf8(content) : platform::ansi::decode(content);
}

// The file's new text in its own encoding. Without a byte-order mark the whole file becomes UTF-8
// where 8-bit text cannot hold it or would read back as UTF-8, so that no name changes on its way.
QByteArray encode(const QString &text, const QByteArray &original)
{
    const platform::unicode::Encoding encoding = platform::unicode::byteOrderMark(original);
    if (encoding != platform::unicode::Encoding::None)
        return platform::unicode::encode(text, encoding);
    if (!platform::ansi::readsAsUtf8(original)) {
        const QByteArray ansi = platform::ansi::encode(text);
        if (platform::ansi::canEncode(text) && !platform::ansi::readsAsUtf8(ansi))
            return ansi;
    }
    return text.toUtf8();
}

// The lines of a text whose lines end in CR LF, LF or CR; the end of the last one is optional.
QStringList splitLines(const QString &text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(lineEnd);
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QByteArray> readAll(const QString &path)
{
    QString refusal;
    return platform::readRegularFile(path, mdlMain::InterfacesIniSizeLimit, refusal);
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
    for (const QString &line : splitLines(decode(*content))) {
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
    QString text = decode(content);
    QStringList lines = splitLines(text);
    bool replaced = false;
    for (QString &line : lines) {
        const std::optional<ModuleLine> module = ParseModuleLine(line);
        if (module && module->mac == mac) {
            line = moduleLine(mac, name);
            replaced = true;
        }
    }
    if (replaced) {
        text.clear();
        for (const QString &line : lines)
            text += line + LineEnd;
    } else {
        // Otherwise the new line would be joined to the last one.
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\r')))
            text += LineEnd;
        text += moduleLine(mac, name) + LineEnd;
    }
    // A link is followed, so that a names file kept elsewhere stays where it is.
    return platform::replaceFileAtomically(path, encode(text, content));
}

}  // namespace InterfacesFile
