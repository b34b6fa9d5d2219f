#include "IniDocument.h"

#include "AnsiText.h"
#include "UnicodeText.h"

#include <QStringDecoder>

#include <algorithm>

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

bool sameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// FNV-1a over UTF-16 units, with the bits spread so that a table indexed by the low bits fills evenly.
template <typename Unit> std::size_t unitHash(QStringView text, Unit unit)
{
    std::size_t hash = 14695981039346656037ULL;
    for (const QChar c : text)
        hash = (hash ^ unit(c)) * 1099511628211ULL;
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDULL;
    return hash ^ (hash >> 33);
}

// Names that compare equal without case have the same hash: that of their case-folded text,
// folded unit by unit where the name holds no character beyond the basic plane.
std::size_t nameHash(const QString &name)
{
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.isSurrogate(); }))
        return unitHash(name.toCaseFolded(), [](QChar c) { return c.unicode(); });
    return unitHash(name, [](QChar c) { return c.toCaseFolded().unicode(); });
}

std::size_t keyHash(int header, const QString &key)
{
    return nameHash(key) ^ (static_cast<std::size_t>(header + 1) * 0x9E3779B97F4A7C15ULL);
}

// A piece of a line's text, from begin up to end.
struct Span {
    qsizetype begin = 0;
    qsizetype end = 0;
};

char16_t unitAt(QByteArrayView text, qsizetype at)
{
    return static_cast<unsigned char>(text[at]);
}

char16_t unitAt(QStringView text, qsizetype at)
{
    return text[at].unicode();
}

template <typename Text> Span trimmed(Text text, Span span)
{
    const auto blank = [&text](qsizetype at) { return unitAt(text, at) == u' ' || unitAt(text, at) == u'\t'; };
    while (span.begin < span.end && blank(span.begin))
        ++span.begin;
    while (span.end > span.begin && blank(span.end - 1))
        --span.end;
    return span;
}

template <typename Text> Span unquoted(Text text, Span span)
{
    const char16_t first = span.end - span.begin >= 2 ? unitAt(text, span.begin) : u'\0';
    const bool quoted = (first == u'"' || first == u'\'') && unitAt(text, span.end - 1) == first;
    return quoted ? Span{span.begin + 1, span.end - 1} : span;
}

// The first place of a unit in the span, or -1.
template <typename Text> qsizetype find(Text text, Span span, char16_t unit)
{
    for (qsizetype at = span.begin; at < span.end; ++at) {
        if (unitAt(text, at) == unit)
            return at;
    }
    return -1;
}

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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
    qsizetype pos = 0;
    if (bytes.startsWith(Utf8Bom)) {
        doc.byteOrderMark_ = Utf8Bom;
        pos = Utf8Bom.size();
    }
    doc.utf8_ = ansi::readsAsUtf8(bytes);
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        doc.lines_.push_back(doc.makeLine(bytes.mid(pos, end - pos)));
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r')
            ++pos;
        if (pos < bytes.size() && bytes[pos] == '\n' && (pos == end || bytes[pos - 1] == '\r'))
            ++pos;
    }
    doc.reindex();
    return doc;
}

QByteArray IniDocument::serialise() const
{
    QByteArray out = byteOrderMark_;
    for (const Line &line : lines_)
        out += line.raw + "\r\n";
    if (wideEncoding_)
        return unicode::encode(unicode::decode(out, unicode::Encoding::Utf8), *wideEncoding_);
    return out;
}

IniDocument::Line IniDocument::makeLine(const QByteArray &raw) const
{
    Line line;
    line.raw = raw;
    // The parts are found by their ASCII marks alone, so a line of plain ASCII, which reads the
    // same in every encoding, is split on its bytes without being decoded.
    const auto split = [&line](auto text, auto piece) {
        const Span whole = trimmed(text, {0, text.size()});
        if (whole.begin == whole.end || unitAt(text, whole.begin) == u';')
            return;
        if (unitAt(text, whole.begin) == u'[') {
            line.kind = Kind::Section;
            const qsizetype close = find(text, whole, u']');
            line.name = piece(trimmed(text, {whole.begin + 1, close < 0 ? whole.end : close}));
            return;
        }
        line.kind = Kind::Key;
        const qsizetype equals = find(text, whole, u'=');
        if (equals < 0) {
            line.name = piece(whole);
            return;
        }
        line.name = piece(trimmed(text, {whole.begin, equals}));
        line.value = piece(unquoted(text, trimmed(text, {equals + 1, whole.end})));
    };
    if (isAscii(raw)) {
        split(QByteArrayView(raw),
              [&raw](Span span) { return QString::fromLatin1(raw.constData() + span.begin, span.end - span.begin); });
    } else {
        const QString text = decode(raw);
        split(QStringView(text), [&text](Span span) { return text.mid(span.begin, span.end - span.begin); });
    }
    return line;
}

QString IniDocument::decode(const QByteArray &bytes) const
{
    if (!utf8_)
        return ansi::decode(bytes);
    // Only the file's first bytes can be its byte-order mark: one that begins a later line is a
    // character of that line, so that a name written with it reads back with it.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QByteArray IniDocument::encode(const QString &text) const
{
    return utf8_ ? text.toUtf8() : ansi::encode(text);
}

IniDocument::Line IniDocument::newLine(const QString &text)
{
    if (!utf8_ && !ansi::canEncode(text))
        switchToUtf8();
    return makeLine(encode(text));
}

void IniDocument::keepReadable()
{
    if (!utf8_ && ansi::readsAsUtf8(serialise()))
        switchToUtf8();
}

void IniDocument::switchToUtf8()
{
    for (Line &line : lines_)
        line.raw = ansi::decode(line.raw).toUtf8();
    utf8_ = true;
}

void IniDocument::reindex()
{
    const auto count = [this](Kind kind) {
        return std::count_if(lines_.cbegin(), lines_.cend(), [kind](const Line &line) { return line.kind == kind; });
    };
    firstHeader_.reset(static_cast<std::size_t>(count(Kind::Section)));
    firstKey_.reset(static_cast<std::size_t>(count(Kind::Key)));
    int header = -1;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Line &line = lines_[i];
        const int index = static_cast<int>(i);
        if (line.kind == Kind::Section) {
            header = index;
            line.first = firstHeader_.insert(nameHash(line.name), index,
                                             [&](int other) { return sameName(lines_[other].name, line.name); });
        } else if (line.kind == Kind::Key) {
            line.header = header;
            line.first = firstKey_.insert(keyHash(header, line.name), index, [&](int other) {
                return lines_[other].header == header && sameName(lines_[other].name, line.name);
            });
        }
    }
}

int IniDocument::findSection(const QString &section) const
{
    return firstHeader_.find(nameHash(section), [&](int line) { return sameName(lines_[line].name, section); });
}

int IniDocument::sectionEnd(int header) const
{
    auto i = static_cast<std::size_t>(header) + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section)
        ++i;
    return static_cast<int>(i);
}

int IniDocument::findKey(int header, const QString &key) const
{
    return firstKey_.find(keyHash(header, key),
                          [&](int line) { return lines_[line].header == header && sameName(lines_[line].name, key); });
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const int header = findSection(trimBlanks(section));
    if (header < 0)
        return std::nullopt;
    const int line = findKey(header, trimBlanks(key));
    return line < 0 ? std::nullopt : lines_[line].value;
}

QStringList IniDocument::sectionNames(int bufferSize) const
{
    NameBuffer buffer(bufferSize);
    for (const Line &line : lines_) {
        if (line.kind == Kind::Section && line.first && !buffer.add(line.name))
            break;
    }
    return buffer.names();
}

QStringList IniDocument::keyNames(const QString &section, Repeats repeats, int bufferSize) const
{
    NameBuffer buffer(bufferSize);
    const int header = findSection(trimBlanks(section));
    if (header < 0)
        return buffer.names();
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line &line = lines_[static_cast<std::size_t>(i)];
        if (line.kind == Kind::Key && !line.name.isEmpty() && (repeats == Repeats::Listed || line.first) &&
            !buffer.add(line.name))
            break;
    }
    return buffer.names();
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    int header = findSection(sectionName);
    if (header < 0) {
        lines_.push_back(newLine(QLatin1Char('[') + sectionName + QLatin1Char(']')));
        header = static_cast<int>(lines_.size()) - 1;
    }
    const int existing = findKey(header, keyName);
    // An existing line keeps the file's spelling of the key.
    const QString name = existing >= 0 ? lines_[existing].name : keyName;
    Line line = newLine(name + QLatin1Char('=') + storedValue(value));
    if (existing >= 0) {
        lines_[existing] = std::move(line);
    } else {
        int insertAt = header + 1;
        const int end = sectionEnd(header);
        for (int i = header + 1; i < end; ++i) {
            if (lines_[i].kind == Kind::Key)
                insertAt = i + 1;
        }
        lines_.insert(lines_.begin() + insertAt, std::move(line));
    }
    reindex();
    keepReadable();
}

bool IniDocument::removeKey(const QString &section, const QString &key)
{
    const int header = findSection(trimBlanks(section));
    if (header < 0)
        return false;
    const QString name = trimBlanks(key);
    const auto begin = lines_.begin() + header + 1;
    const auto end = lines_.begin() + sectionEnd(header);
    const auto kept = std::remove_if(
        begin, end, [&name](const Line &line) { return line.kind == Kind::Key && sameName(line.name, name); });
    if (kept == end)
        return false;
    lines_.erase(kept, end);
    reindex();
    keepReadable();
    return true;
}

bool IniDocument::removeSection(const QString &section)
{
    const QString name = trimBlanks(section);
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    bool inRemoved = false;
    for (Line &line : lines_) {
        if (line.kind == Kind::Section)
            inRemoved = sameName(line.name, name);
        if (!inRemoved)
            kept.push_back(std::move(line));
    }
    const bool removed = kept.size() < lines_.size();
    lines_ = std::move(kept);
    if (removed) {
        reindex();
        keepReadable();
    }
    return removed;
}

}  // namespace platform
