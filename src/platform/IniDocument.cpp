#include "IniDocument.h"

#include "AnsiText.h"
#include "UnicodeText.h"

namespace platform {
namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Only blanks and tabs count: a no-break space or a form feed is part of a value.
QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool quotedWhole(const QString &text)
{
    return text.size() >= 2 && isQuote(text.front()) && text.front() == text.back();
}

// A value that the reader would change (outer blanks trimmed, enclosing quotes removed) is
// written in double quotes, so it reads back as it was given. Line breaks would split the line.
QString storedValue(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const bool needsQuotes =
        !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()) || quotedWhole(value));
    return needsQuotes ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

// Names handed over as through a buffer of that many characters: each name with its terminator,
// and a final terminator; a name that would be cut is left out.
class NameBuffer {
public:
    explicit NameBuffer(int size) : free_(size - 1) {}

    // False when the name does not fit, and no later name is to be added.
    bool add(const QString &name)
    {
        free_ -= name.size() + 1;
        if (free_ < 0)
            return false;
        names_ << name;
        return true;
    }
    QStringList names() const { return names_; }

private:
    qsizetype free_;
    QStringList names_;
};

}  // namespace

IniDocument IniDocument::parse(const QByteArray &file)
{
    IniDocument doc;
    // UTF-16 text is worked on as UTF-8 and written back as UTF-16, so every line keeps its text.
    const unicode::Encoding mark = unicode::byteOrderMark(file);
    const bool wide = mark == unicode::Encoding::Utf16LE || mark == unicode::Encoding::Utf16BE;
    const QByteArray bytes = wide ? Utf8Bom + unicode::decode(file, mark).toUtf8() : file;
    if (wide)
        doc.wideEncoding_ = mark;
    const bool marked = bytes.startsWith(Utf8Bom);
    if (marked)
        doc.byteOrderMark_ = Utf8Bom;
    doc.lines_ = IniLines(bytes, marked ? Utf8Bom.size() : 0, marked ? std::optional(true) : std::nullopt);
    return doc;
}

template <typename Keep> QByteArray IniDocument::joined(Keep kept, int insertAt, const QByteArrayList &inserted) const
{
    const int count = lines_.count();
    QByteArray out;
    for (int line = 0; line <= count; ++line) {
        if (line == insertAt) {
            for (const QByteArray &text : inserted)
                out += text + "\r\n";
        }
        if (line < count && kept(line)) {
            out += lines_.raw(line);
            out += "\r\n";
        }
    }
    return out;
}

template <typename Keep> void IniDocument::rebuild(Keep kept, int insertAt, const QByteArrayList &inserted)
{
    lines_ = IniLines(joined(kept, insertAt, inserted), 0, lines_.utf8());
}

QByteArray IniDocument::serialise() const
{
    const QByteArray out = byteOrderMark_ + joined([](int) { return true; });
    if (wideEncoding_)
        return unicode::encode(unicode::decode(out, unicode::Encoding::Utf8), *wideEncoding_);
    return out;
}

QByteArray IniDocument::encode(const QString &text) const
{
    return lines_.utf8() ? text.toUtf8() : ansi::encode(text);
}

void IniDocument::keepReadable()
{
    if (!lines_.utf8() && ansi::readsAsUtf8(serialise()))
        switchToUtf8();
}

// 8-bit text maps byte by byte, and line ends stay where they were.
void IniDocument::switchToUtf8()
{
    lines_ = IniLines(ansi::decode(joined([](int) { return true; })).toUtf8(), 0, true);
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key, qsizetype limit) const
{
    const int header = lines_.findSection(trimBlanks(section));
    if (header < 0)
        return std::nullopt;
    const int line = lines_.findKey(header, trimBlanks(key));
    return line < 0 ? std::nullopt : lines_.value(line, limit);
}

QStringList IniDocument::sectionNames(int bufferSize) const
{
    NameBuffer buffer(bufferSize);
    for (int line = 0; lines_.exists(line); ++line) {
        if (lines_.kind(line) == Kind::Section && lines_.first(line) && !buffer.add(lines_.name(line)))
            break;
    }
    return buffer.names();
}

QStringList IniDocument::keyNames(const QString &section, Repeats repeats, int bufferSize) const
{
    NameBuffer buffer(bufferSize);
    const int header = lines_.findSection(trimBlanks(section));
    if (header < 0)
        return buffer.names();
    // The section is read only as far as its names fit.
    for (int line = header + 1; lines_.exists(line) && lines_.kind(line) != Kind::Section; ++line) {
        if (lines_.kind(line) != Kind::Key || (repeats == Repeats::Dropped && !lines_.first(line)))
            continue;
        const QString name = lines_.name(line);
        if (!name.isEmpty() && !buffer.add(name))
            break;
    }
    return buffer.names();
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    const int header = lines_.findSection(sectionName);
    const int existing = header < 0 ? -1 : lines_.findKey(header, keyName);
    // An existing line keeps the file's spelling of the key.
    const QString keyLine = (existing >= 0 ? lines_.name(existing) : keyName) + QLatin1Char('=') + storedValue(value);
    const QString headerLine = QLatin1Char('[') + sectionName + QLatin1Char(']');
    const bool encodable = ansi::canEncode(keyLine) && (header >= 0 || ansi::canEncode(headerLine));
    if (!lines_.utf8() && !encodable)
        switchToUtf8();
    if (header < 0) {
        rebuild([](int) { return true; }, lines_.count(), {encode(headerLine), encode(keyLine)});
    } else if (existing >= 0) {
        rebuild([existing](int line) { return line != existing; }, existing, {encode(keyLine)});
    } else {
        int insertAt = header + 1;
        const int end = lines_.sectionEnd(header);
        for (int line = header + 1; line < end; ++line) {
            if (lines_.kind(line) == Kind::Key)
                insertAt = line + 1;
        }
        rebuild([](int) { return true; }, insertAt, {encode(keyLine)});
    }
    keepReadable();
}

bool IniDocument::removeKey(const QString &section, const QString &key)
{
    const int header = lines_.findSection(trimBlanks(section));
    if (header < 0)
        return false;
    const QString name = trimBlanks(key);
    const int end = lines_.sectionEnd(header);
    const auto removed = [&](int line) {
        return line > header && line < end && lines_.kind(line) == Kind::Key && lines_.nameIs(line, name);
    };
    bool any = false;
    for (int line = header + 1; line < end && !any; ++line)
        any = removed(line);
    if (!any)
        return false;
    rebuild([&](int line) { return !removed(line); });
    keepReadable();
    return true;
}

bool IniDocument::removeSection(const QString &section)
{
    const QString name = trimBlanks(section);
    bool any = false;
    for (int line = 0; lines_.exists(line) && !any; ++line)
        any = lines_.kind(line) == Kind::Section && lines_.nameIs(line, name);
    if (!any)
        return false;
    // The lines are asked in order: each header tells whether its lines go.
    bool inRemoved = false;
    rebuild([&](int line) {
        if (lines_.kind(line) == Kind::Section)
            inRemoved = lines_.nameIs(line, name);
        return !inRemoved;
    });
    keepReadable();
    return true;
}

}  // namespace platform
