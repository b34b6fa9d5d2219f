#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace platform {

// Reads a date typed by the user, as the general date format writes it: day, month and year as
// numbers in the locale's order, separated by "/", "." or "-" (a four-digit first number means
// year-month-day), optionally followed by a time h:mm or h:mm:ss with an optional AM or PM.
// Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999. A time alone is not a date.
class DateReader {
public:
    static std::optional<QDateTime> read(const QString &text, const QLocale &locale);
};

}  // namespace platform
