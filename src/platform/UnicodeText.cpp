#include "UnicodeText.h"

#include "AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform::unicode {
namespace {

struct Mark {
    Encoding encoding;
    QByteArray bytes;
    QStringConverter::Encoding converter;
};

const Mark Marks[] = {
    {Encoding::Utf8, QByteArray("\xEF\xBB\xBF"), QStringConverter::Utf8},
    {Encoding::Utf16LE, QByteArray("\xFF\xFE"), QStringConverter::Utf16LE},
    {Encoding::Utf16BE, QByteArray("\xFE\xFF"), QStringConverter::Utf16BE},
};

const Mark *markOf(Encoding encoding)
{
    for (const Mark &mark : Marks) {
        if (mark.encoding == encoding)
            return &mark;
    }
    return nullptr;
}

}  // namespace

Encoding byteOrderMark(const QByteArray &bytes)
{
    for (const Mark &mark : Marks) {
        if (bytes.startsWith(mark.bytes))
            return mark.encoding;
    }
    return Encoding::None;
}

QString decode(const QByteArray &bytes, Encoding encoding)
{
    const Mark *mark = markOf(encoding);
    if (!mark)
        return ansi::decode(bytes);
    // Only the file's first mark is dropped: one at the start of a later line is a character of it.
    QStringDecoder decoder(mark->converter, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(bytes).sliced(mark->bytes.size()));
}

QByteArray encode(const QString &text, Encoding encoding)
{
    const Mark *mark = markOf(encoding);
    if (!mark)
        return ansi::encode(text);
    QStringEncoder encoder(mark->converter);
    return mark->bytes + QByteArray(encoder.encode(text));
}

}  // namespace platform::unicode
