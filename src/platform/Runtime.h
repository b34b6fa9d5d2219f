#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

// Numeric conversions and formatting as the program's texts and files expect them.
namespace platform::runtime {

// Round to the nearest integer, halves to even; raise error 6 (overflow) when the rounded value
// does not fit (32767.5 overflows, -32768.5 gives -32768) and for NaN or infinity.
int16_t toInteger(double value);
int32_t toLong(double value);
uint8_t toByte(double value);

// Rounds to the given number of decimals, halves to even (2.5 -> 2, 0.125 at 2 -> 0.12). Raises
// error 5 for a negative count.
double round(double value, int decimals = 0);

// The numeric value that leads a text, read without regard to locale: leading blanks skipped,
// "." the decimal point, an exponent accepted, "&H" and "&O" prefixes read as hex and octal,
// 0 when nothing numeric leads, infinity for a number beyond the Double range.
double val(const QString &text);

// Formats a number with a pattern: named formats ("General Number", "Fixed", "Standard",
// "Percent", "Scientific") or user patterns of digit placeholders 0 and #, a decimal point,
// thousands separators, exponents E+ E- e+ e-, literal text in quotes or after a backslash,
// and up to three sections separated by ";" (see NumberFormat). An empty pattern is
// "General Number". The decimal separator is the user's locale's. Raises error 5 for a pattern
// that cannot be applied.
QString format(double value, const QString &pattern);

// Formats a date and time: "General Date" (short date and long time; the time is left out at
// midnight), "Long Date", "Short Date", "Long Time", "Short Time", or patterns of d dd ddd dddd
// m mm mmm mmmm y yy yyyy h hh n nn s ss (m after h is minutes), "/" and ":" for the locale's
// separators, and literal characters (see DateFormat).
QString formatDate(const QDateTime &when, const QString &pattern);
// The same for a date serial number: whole days since 30 December 1899 plus the fraction of a day,
// rounded to the second ("HH:MM:SS" of 0.5 is 12:00:00).
QString formatDate(double serial, const QString &pattern);

// A date typed by the user, as "General Date" writes it; nullopt when the text is not a date.
std::optional<QDateTime> parseDate(const QString &text);

// The locale-independent decimal text of a number, as the runtime converts numbers to strings:
// up to 15 significant digits, "." as decimal point, no leading blank, no thousands separators.
QString str(double value);

// The same in the user's number format (the locale's decimal separator): the text a number
// becomes when it is shown in a box or written into a file. A Single keeps 7 significant digits.
QString numberText(double value);
QString numberText(float value);

// The locale of the user's number and date formats: the system locale, unless a test set another.
QLocale userLocale();
// Tests set a locale of their own; nullopt returns to the system locale.
void setUserLocaleForTests(const std::optional<QLocale> &locale);

}  // namespace platform::runtime
