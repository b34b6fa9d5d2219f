#include "AnsiText.h"

#include <algorithm>
#include <array>

namespace platform::ansi {
namespace {

// Bytes 0x80..0x9F; the five bytes the set leaves undefined map to the control character of the
// same number, as the system's conversion does.
constexpr std::array<char16_t, 32> HighControlBlock = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char Unknown = '?';

char encodeOne(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (std::size_t i = 0; i < HighControlBlock.size(); ++i) {
        if (HighControlBlock[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return Unknown;
}

}  // namespace

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte >= 0x80 && byte < 0xA0 ? HighControlBlock[byte - 0x80] : char16_t(byte));
    }
    return text;
}

QByteArray encode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // One character outside the basic plane is one "?", not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        bytes.append(encodeOne(c.unicode()));
    }
    return bytes;
}

bool canEncode(QStringView text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(Unknown) && encodeOne(c.unicode()) == Unknown)
            return false;
    }
    return true;
}

bool readsAsUtf8(QByteArrayView bytes)
{
    const bool beyondAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return bytes.startsWith("\xEF\xBB\xBF") || (beyondAscii && bytes.isValidUtf8());
}

}  // namespace platform::ansi
