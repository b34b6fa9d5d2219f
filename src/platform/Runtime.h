#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

// Numeric conversions and formatting as the program's texts and files expect them.
namespace platform::runtime {

// Round to the nearest integer, halves to even; raise error 6 (overflow) out of range.
int16_t toInteger(double value);
int32_t toLong(double value);
uint8_t toByte(double value);

// The numeric value that leads a text, read without regard to locale: leading blanks skipped,
// "." the decimal point, an exponent accepted, "&H" and "&O" prefixes read as hex and octal,
// 0 when nothing numeric leads.
double val(const QString &text);

// Formats a number with a pattern: named formats ("General Number", "Fixed", "Standard",
// "Percent", "Scientific") or user patterns of digit placeholders 0 and #, a decimal point,
// thousands separators, exponents E+ E- e+ e-, literal text in quotes or after a backslash,
// and up to three sections separated by ";". The decimal separator is the system locale's.
// Raises error 5 for a pattern that cannot be applied.
QString format(double value, const QString &pattern);

// Formats a date and time: "General Date", "Long Date", "Short Date", "Long Time", "Short Time",
// or patterns of d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss (m after h is minutes) and
// literal characters.
QString formatDate(const QDateTime &when, const QString &pattern);

// The locale-independent decimal text of a number, as the runtime converts numbers to strings.
QString str(double value);

}  // namespace platform::runtime
