#include "IniLines.h"

#include "AnsiText.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

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

// Only blanks and tabs count: a no-break space or a form feed is part of a name or value.
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
qsizetype find(QStringView text, Span span, char16_t unit)
{
    const qsizetype at = text.sliced(span.begin, span.end - span.begin).indexOf(QChar(unit));
    return at < 0 ? -1 : span.begin + at;
}

qsizetype find(QByteArrayView text, Span span, char16_t unit)
{
    const void *at = std::memchr(text.data() + span.begin, unit, static_cast<std::size_t>(span.end - span.begin));
    return at ? static_cast<const char *>(at) - text.data() : -1;
}

// The name and, for a key line with "=", the value of a header or key line.
struct Parts {
    Span name;
    std::optional<Span> value;
};

template <typename Text> Parts parts(Text text, IniLines::Kind kind)
{
    const Span whole = trimmed(text, {0, text.size()});
    if (kind == IniLines::Kind::Section) {
        const qsizetype close = find(text, whole, u']');
        return {trimmed(text, {whole.begin + 1, close < 0 ? whole.end : close}), std::nullopt};
    }
    const qsizetype equals = find(text, whole, u'=');
    if (equals < 0)
        return {whole, std::nullopt};
    return {trimmed(text, {whole.begin, equals}), unquoted(text, trimmed(text, {equals + 1, whole.end}))};
}

QByteArrayView piece(QByteArrayView text, Span span)
{
    return text.sliced(span.begin, span.end - span.begin);
}

char16_t asciiFolded(char c)
{
    return static_cast<char16_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<unsigned char>(c));
}

// FNV-1a over UTF-16 units, with the bits spread so that a table indexed by the low bits fills
// evenly. The bytes of plain ASCII are their own units, so they are hashed without a string.
template <typename Units, typename Unit> std::size_t unitHash(const Units &units, Unit unit)
{
    std::size_t hash = 14695981039346656037ULL;
    for (const auto c : units)
        hash = (hash ^ unit(c)) * 1099511628211ULL;
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDULL;
    return hash ^ (hash >> 33);
}

// Names that compare equal without case have the same hash: that of their case-folded text,
// folded unit by unit where the name holds no character beyond the basic plane.
std::size_t textHash(QStringView name)
{
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.isSurrogate(); }))
        return unitHash(name.toString().toCaseFolded(), [](QChar c) { return c.unicode(); });
    return unitHash(name, [](QChar c) { return c.toCaseFolded().unicode(); });
}

std::size_t keyHash(int header, std::size_t nameHash)
{
    return nameHash ^ (static_cast<std::size_t>(header + 1) * 0x9E3779B97F4A7C15ULL);
}

}  // namespace

IniLines::IniLines(QByteArray text, qsizetype start, std::optional<bool> utf8)
    : text_(std::move(text)), utf8_(utf8), splitAt_(start)
{}

bool IniLines::utf8() const
{
    if (!utf8_)
        utf8_ = ansi::readsAsUtf8(text_);
    return *utf8_;
}

QString IniLines::decode(QByteArrayView bytes) const
{
    if (!utf8())
        return ansi::decode(bytes);
    // Only the file's first bytes can be its byte-order mark: one that begins a later line is a
    // character of that line, so that a name written with it reads back with it.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

bool IniLines::exists(int line) const
{
    while (lines_.size() <= static_cast<std::size_t>(line)) {
        if (!splitNext())
            return false;
    }
    return true;
}

int IniLines::count() const
{
    while (splitNext()) {
    }
    return static_cast<int>(lines_.size());
}

qsizetype IniLines::nextByte(qsizetype from, char byte) const
{
    const void *at = std::memchr(text_.constData() + from, byte, static_cast<std::size_t>(text_.size() - from));
    return at ? static_cast<const char *>(at) - text_.constData() : text_.size();
}

bool IniLines::splitNext() const
{
    const qsizetype size = text_.size();
    if (splitAt_ >= size)
        return false;
    const qsizetype begin = splitAt_;
    // The next CR and LF are kept, so that a file whose lines end with only one of them is not
    // searched to its end for the other at every line.
    if (nextCr_ < begin)
        nextCr_ = nextByte(begin, '\r');
    if (nextLf_ < begin)
        nextLf_ = nextByte(begin, '\n');
    const qsizetype end = std::min(nextCr_, nextLf_);
    splitAt_ = end;
    if (splitAt_ < size && text_[splitAt_] == '\r')
        ++splitAt_;
    if (splitAt_ < size && text_[splitAt_] == '\n' && (splitAt_ == end || text_[splitAt_ - 1] == '\r'))
        ++splitAt_;

    Line line;
    line.begin = static_cast<uint32_t>(begin);
    line.end = static_cast<uint32_t>(end);
    const QByteArrayView bytes = QByteArrayView(text_).sliced(begin, end - begin);
    line.ascii = QtPrivate::isAscii(QLatin1StringView(bytes.data(), bytes.size()));
    // A line's kind shows in its first byte after the blanks, in every encoding.
    const Span whole = trimmed(bytes, {0, bytes.size()});
    const char mark = whole.begin < whole.end ? bytes[whole.begin] : ';';
    line.kind = mark == ';' ? Kind::Other : mark == '[' ? Kind::Section : Kind::Key;
    const int number = static_cast<int>(lines_.size());
    line.section = line.kind == Kind::Section ? number : lines_.empty() ? -1 : lines_.back().section;
    lines_.push_back(line);
    return true;
}

QByteArrayView IniLines::raw(int number) const
{
    return QByteArrayView(text_).sliced(line(number).begin, line(number).end - line(number).begin);
}

QString IniLines::name(int number) const
{
    if (line(number).ascii) {
        const QByteArrayView name = piece(raw(number), parts(raw(number), kind(number)).name);
        return QString::fromLatin1(name);
    }
    const QString text = decode(raw(number));
    const Span name = parts(QStringView(text), kind(number)).name;
    return text.mid(name.begin, name.end - name.begin);
}

bool IniLines::nameIs(int number, QStringView name) const
{
    if (line(number).ascii) {
        const QByteArrayView own = piece(raw(number), parts(raw(number), kind(number)).name);
        return name.compare(QLatin1StringView(own.data(), own.size()), Qt::CaseInsensitive) == 0;
    }
    return name.compare(this->name(number), Qt::CaseInsensitive) == 0;
}

bool IniLines::sameName(int a, int b) const
{
    if (line(a).ascii && line(b).ascii) {
        const QByteArrayView first = piece(raw(a), parts(raw(a), kind(a)).name);
        const QByteArrayView second = piece(raw(b), parts(raw(b), kind(b)).name);
        return std::equal(first.begin(), first.end(), second.begin(), second.end(),
                          [](char x, char y) { return asciiFolded(x) == asciiFolded(y); });
    }
    return nameIs(a, name(b));
}

std::size_t IniLines::nameHash(int number) const
{
    if (line(number).ascii)
        return unitHash(piece(raw(number), parts(raw(number), kind(number)).name), asciiFolded);
    return textHash(name(number));
}

std::optional<QString> IniLines::value(int number, qsizetype limit) const
{
    // Only the characters asked for are decoded: a value of megabytes is read through a buffer of
    // a thousand.
    const auto cut = [limit](Span span) { return std::min(span.end - span.begin, limit); };
    if (line(number).ascii) {
        const auto value = parts(raw(number), Kind::Key).value;
        if (!value)
            return std::nullopt;
        return QString::fromLatin1(raw(number).sliced(value->begin, cut(*value)));
    }
    const QString text = decode(raw(number));
    const auto value = parts(QStringView(text), Kind::Key).value;
    if (!value)
        return std::nullopt;
    return text.mid(value->begin, cut(*value));
}

void IniLines::indexNext() const
{
    const int number = indexed_++;
    Line &line = lines_[static_cast<std::size_t>(number)];
    if (line.kind == Kind::Section) {
        line.first = firstHeader_.insert(nameHash(number), number, [&](int other) { return sameName(other, number); });
    } else if (line.kind == Kind::Key) {
        line.first = firstKey_.insert(keyHash(line.section, nameHash(number)), number, [&](int other) {
            return this->line(other).section == line.section && sameName(other, number);
        });
    }
}

bool IniLines::first(int number) const
{
    while (indexed_ <= number)
        indexNext();
    return line(number).first;
}

int IniLines::findSection(QStringView name) const
{
    const auto same = [&](int number) { return nameIs(number, name); };
    const int found = firstHeader_.find(textHash(name), same);
    if (found >= 0)
        return found;
    // Not among the lines indexed so far: indexing goes on up to the first header of that name.
    while (exists(indexed_)) {
        const int number = indexed_;
        indexNext();
        if (kind(number) == Kind::Section && line(number).first && same(number))
            return number;
    }
    return -1;
}

int IniLines::findKey(int header, QStringView key) const
{
    const auto same = [&](int number) { return line(number).section == header && nameIs(number, key); };
    const int found = firstKey_.find(keyHash(header, textHash(key)), same);
    if (found >= 0)
        return found;
    // The section's lines not indexed yet follow those indexed so far (its header is indexed).
    while (exists(indexed_) && line(indexed_).section == header) {
        const int number = indexed_;
        indexNext();
        if (kind(number) == Kind::Key && line(number).first && same(number))
            return number;
    }
    return -1;
}

int IniLines::sectionEnd(int header) const
{
    int number = header + 1;
    while (exists(number) && kind(number) != Kind::Section)
        ++number;
    return number;
}

}  // namespace platform
