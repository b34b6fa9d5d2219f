#include "Runtime.h"

#include "DateFormat.h"
#include "DateReader.h"
#include "Error.h"
#include "NumberFormat.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <optional>

namespace platform::runtime {
namespace {

std::optional<QLocale> localeOverride;

[[noreturn]] void overflow(const char *source)
{
    throw Error(err::Overflow, QString::fromLatin1(source), QStringLiteral("Overflow"));
}

template <typename T> T roundedInto(double value, const char *source)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<T>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<T>::max())))
        overflow(source);
    return static_cast<T>(rounded);
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int digit = base;
    if (u >= '0' && u <= '9')
        digit = u - '0';
    else if (u >= 'a' && u <= 'f')
        digit = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        digit = u - 'A' + 10;
    return digit < base ? digit : -1;
}

double radixValue(const QString &text, qsizetype pos, int base)
{
    double value = 0;
    for (; pos < text.size() && digitValue(text[pos], base) >= 0; ++pos)
        value = value * base + digitValue(text[pos], base);
    return value;
}

// strtod reads the decimal point of the C locale only when told so: the application sets the
// process locale from the environment.
double readDecimal(const std::string &number)
{
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return ::strtod_l(number.c_str(), nullptr, cLocale);
}

bool sameName(const QString &a, const char *b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

// The numeric short date of the locale with a four-digit year, in date-pattern letters.
QString shortDatePattern(const QLocale &locale)
{
    const QString qt = locale.dateFormat(QLocale::ShortFormat);
    const QString day = qt.contains(QLatin1String("dd")) ? QStringLiteral("dd") : QStringLiteral("d");
    const QString month = qt.count(QLatin1Char('M')) >= 2 ? QStringLiteral("mm") : QStringLiteral("m");
    const qsizetype d = qt.indexOf(QLatin1Char('d'));
    const qsizetype m = qt.indexOf(QLatin1Char('M'));
    const qsizetype y = qt.indexOf(QLatin1Char('y'));
    if (y >= 0 && y < d && y < m)
        return QStringLiteral("yyyy/") + month + QLatin1Char('/') + day;
    if (m >= 0 && d >= 0 && m < d)
        return month + QLatin1Char('/') + day + QStringLiteral("/yyyy");
    return day + QLatin1Char('/') + month + QStringLiteral("/yyyy");
}

// The locale's long time as numbers: its hour digits and 12- or 24-hour clock, its separator,
// minutes and seconds, so that a typed-back time is read again.
QString longTime(const QTime &time, const QLocale &locale)
{
    const QString qt = locale.timeFormat(QLocale::LongFormat);
    const bool twelveHour = qt.contains(QLatin1Char('A')) || qt.contains(QLatin1Char('a'));
    QString hour = twelveHour ? QStringLiteral("h") : QStringLiteral("H");
    if (qt.contains(QLatin1String("hh")) || qt.contains(QLatin1String("HH")))
        hour += hour;
    const QString separator = DateFormat::timeSeparator(locale);
    const QString format = hour + separator + QStringLiteral("mm") + separator + QStringLiteral("ss");
    return locale.toString(time, twelveHour ? format + QStringLiteral(" AP") : format);
}

const QDate SerialZero(1899, 12, 30);

QString formatParts(const QDate &date, const QTime &time, const QString &pattern)
{
    const QLocale locale = userLocale();
    const QString name = pattern.trimmed();
    if (sameName(name, "General Date")) {
        const bool showDate = date != SerialZero;
        const bool showTime = time != QTime(0, 0) || !showDate;
        QString out = showDate ? DateFormat(shortDatePattern(locale)).apply(date, time, locale) : QString();
        if (showDate && showTime)
            out += QLatin1Char(' ');
        return showTime ? out + longTime(time, locale) : out;
    }
    if (sameName(name, "Long Date"))
        return locale.toString(date, QLocale::LongFormat);
    if (sameName(name, "Short Date"))
        return DateFormat(shortDatePattern(locale)).apply(date, time, locale);
    if (sameName(name, "Long Time"))
        return longTime(time, locale);
    if (sameName(name, "Short Time"))
        return DateFormat(QStringLiteral("hh:nn")).apply(date, time, locale);
    return DateFormat(pattern).apply(date, time, locale);
}

}  // namespace

int16_t toInteger(double value)
{
    return roundedInto<int16_t>(value, "CInt");
}

int32_t toLong(double value)
{
    return roundedInto<int32_t>(value, "CLng");
}

uint8_t toByte(double value)
{
    return roundedInto<uint8_t>(value, "CByte");
}

double round(double value, int decimals)
{
    if (decimals < 0)
        throw Error(err::InvalidArgument, QStringLiteral("Round"),
                    QStringLiteral("Invalid procedure call or argument"));
    if (!std::isfinite(value) || decimals > 22)
        return value;
    if (std::fabs(value) >= 4503599627370496.0)  // 2^52: no fraction left
        return value;
    // The decimal text of the exact binary value, rounded halves to even: 2.675 is stored a little
    // below the half and gives 2.67, as no scaling by 100 would tell.
    char text[128];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    double rounded = value;
    std::from_chars(text, written.ptr, rounded);
    return rounded;
}

double val(const QString &text)
{
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == QLatin1Char(' ') || text[pos] == QLatin1Char('\t') ||
                                 text[pos] == QLatin1Char('\n') || text[pos] == QLatin1Char('\r')))
        ++pos;
    if (pos + 1 < text.size() && text[pos] == QLatin1Char('&')) {
        const QChar radix = text[pos + 1].toUpper();
        if (radix == QLatin1Char('H'))
            return radixValue(text, pos + 2, 16);
        if (radix == QLatin1Char('O'))
            return radixValue(text, pos + 2, 8);
        return 0;
    }
    std::string number;
    if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+')))
        number += static_cast<char>(text[pos++].unicode());
    bool mantissaDigits = false;
    for (; pos < text.size() && isAsciiDigit(text[pos]); ++pos, mantissaDigits = true)
        number += static_cast<char>(text[pos].unicode());
    if (pos < text.size() && text[pos] == QLatin1Char('.')) {
        number += '.';
        for (++pos; pos < text.size() && isAsciiDigit(text[pos]); ++pos, mantissaDigits = true)
            number += static_cast<char>(text[pos].unicode());
    }
    if (!mantissaDigits)
        return 0;
    if (pos < text.size() && (text[pos] == QLatin1Char('E') || text[pos] == QLatin1Char('e'))) {
        qsizetype next = pos + 1;
        std::string exponent = "e";
        if (next < text.size() && (text[next] == QLatin1Char('-') || text[next] == QLatin1Char('+')))
            exponent += static_cast<char>(text[next++].unicode());
        if (next < text.size() && isAsciiDigit(text[next])) {
            for (; next < text.size() && isAsciiDigit(text[next]); ++next)
                exponent += static_cast<char>(text[next].unicode());
            number += exponent;
        }
    }
    return readDecimal(number);
}

QString format(double value, const QString &pattern)
{
    const QString name = pattern.trimmed();
    if (pattern.isEmpty() || sameName(name, "General Number"))
        return NumberFormat::general(value, userLocale().decimalPoint(), 15);
    QString effective = pattern;
    if (sameName(name, "Fixed"))
        effective = QStringLiteral("0.00");
    else if (sameName(name, "Standard"))
        effective = QStringLiteral("#,##0.00");
    else if (sameName(name, "Percent"))
        effective = QStringLiteral("0.00%");
    else if (sameName(name, "Scientific"))
        effective = QStringLiteral("0.00E+00");
    // Exports format every sample with one pattern: keep the last one parsed.
    static QString lastPattern;
    static std::optional<NumberFormat> lastFormat;
    if (!lastFormat || effective != lastPattern) {
        lastFormat.reset();
        lastFormat = NumberFormat::parse(effective);
        lastPattern = effective;
    }
    return lastFormat->apply(value, userLocale());
}

QString formatDate(const QDateTime &when, const QString &pattern)
{
    if (!when.isValid())
        return QString();
    return formatParts(when.date(), when.time(), pattern);
}

QString formatDate(double serial, const QString &pattern)
{
    // Beyond the year 9999 either way there is no date.
    if (!std::isfinite(serial) || std::fabs(serial) > 3e6)
        return QString();
    double days = std::trunc(serial);
    auto seconds = std::llround(std::fabs(serial - days) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += serial < 0 ? -1 : 1;
    }
    return formatParts(SerialZero.addDays(static_cast<qint64>(days)), QTime(0, 0).addSecs(static_cast<int>(seconds)),
                       pattern);
}

std::optional<QDateTime> parseDate(const QString &text)
{
    return DateReader::read(text, userLocale());
}

QString str(double value)
{
    return NumberFormat::general(value, QStringLiteral("."), 15);
}

QString numberText(double value)
{
    return NumberFormat::general(value, userLocale().decimalPoint(), 15);
}

QString numberText(float value)
{
    return NumberFormat::general(value, userLocale().decimalPoint(), 7);
}

QLocale userLocale()
{
    return localeOverride ? *localeOverride : QLocale::system();
}

void setUserLocaleForTests(const std::optional<QLocale> &locale)
{
    localeOverride = locale;
}

}  // namespace platform::runtime
