#include "InterfacesFile.h"

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"
#include "platform/UnicodeText.h"
#include "session/mdlMain.h"

#include <QFileInfo>
#include <QStringList>

namespace InterfacesFile {

namespace {

using platform::unicode::Encoding;

const QByteArray LineEnd = QByteArrayLiteral("\r\n");
const QByteArray Utf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

// The file's text as UTF-8 bytes, and the byte-order mark it had. A UTF-16 file is converted; any
// other is taken byte for byte, so that what is not UTF-8 in it survives a rewrite.
struct Content {
    QByteArray utf8;
    Encoding mark = Encoding::None;
};

Content asUtf8(const QByteArray &bytes)
{
    const Encoding mark = platform::unicode::byteOrderMark(bytes);
    switch (mark) {
    case Encoding::None: return {bytes, mark};
    case Encoding::Utf8: return {bytes.mid(Utf8Mark.size()), mark};
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: break;
    }
    return {platform::unicode::decode(bytes, mark).toUtf8(), mark};
}

QByteArray inItsEncoding(const Content &content)
{
    switch (content.mark) {
    case Encoding::None: return content.utf8;
    case Encoding::Utf8: return Utf8Mark + content.utf8;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: break;
    }
    return platform::unicode::encode(QString::fromUtf8(content.utf8), content.mark);
}

// The lines of the bytes, whose lines end in CR LF, LF or CR; the end of the last one is optional.
QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(bytes.mid(start));
    return lines;
}

std::optional<QByteArray> readAll(const QString &path)
{
    QString refusal;
    return platform::readRegularFile(path, mdlMain::InterfacesIniSizeLimit, refusal);
}

QByteArray moduleLine(const QString &mac, const QString &name)
{
    return (QLatin1Char('[') + mac + QStringLiteral("] ") + name).toUtf8();
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
    for (const QByteArray &line : splitLines(asUtf8(*content).utf8)) {
        if (std::optional<ModuleLine> module = ParseModuleLine(QString::fromUtf8(line)))
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
    QByteArray existing;
    // A file that exists but cannot be read must not be replaced by the one new line.
    if (QFileInfo::exists(path)) {
        const std::optional<QByteArray> read = readAll(path);
        if (!read)
            return false;
        existing = *read;
    }
    Content content = asUtf8(existing);
    QList<QByteArray> lines = splitLines(content.utf8);
    bool replaced = false;
    for (QByteArray &line : lines) {
        const std::optional<ModuleLine> module = ParseModuleLine(QString::fromUtf8(line));
        if (module && module->mac == mac) {
            line = moduleLine(mac, name);
            replaced = true;
        }
    }
    if (replaced) {
        content.utf8.clear();
        for (const QByteArray &line : lines)
            content.utf8 += line + LineEnd;
    } else {
        // Otherwise the new line would be joined to the last one.
        if (!content.utf8.isEmpty() && !content.utf8.endsWith('\n') && !content.utf8.endsWith('\r'))
            content.utf8 += LineEnd;
        content.utf8 += moduleLine(mac, name) + LineEnd;
    }
    // A link is followed, so that a names file kept elsewhere stays where it is.
    return platform::replaceFileAtomically(path, inItsEncoding(content));
}

}  // namespace InterfacesFile
