#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <vector>

namespace platform {

// A date pattern: d dd (day), ddd dddd (day name), m mm (month, or minutes right after an hour
// or right before seconds), mmm mmmm (month name), y (day of the year), yy yyyy (year), h hh
// (hour, 0-23), n nn (minutes), s ss (seconds), "/" and ":" (the locale's date and time
// separators); letters in either case. Quoted text, a character after a backslash and every
// other character are copied as they stand.
class DateFormat {
public:
    explicit DateFormat(const QString &pattern);

    QString apply(const QDate &date, const QTime &time, const QLocale &locale) const;

    // The separators the locale puts between the parts of a short date and of a time.
    static QString dateSeparator(const QLocale &locale);
    static QString timeSeparator(const QLocale &locale);

private:
    enum class Field {
        Literal,
        DateSeparator,
        TimeSeparator,
        Day,
        DayName,
        Month,
        MonthName,
        Year,
        DayOfYear,
        Hour,
        Minute,
        Second
    };
    struct Token {
        Field field;
        int width;
        QString text;
    };

    void markMinutes();

    std::vector<Token> tokens_;
};

}  // namespace platform
