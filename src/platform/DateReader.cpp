#include "DateReader.h"

#include <QRegularExpression>

namespace platform {
namespace {

enum class Order { DayMonthYear, MonthDayYear, YearMonthDay };

Order orderOf(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = format.indexOf(QLatin1Char('d'));
    const qsizetype month = format.indexOf(QLatin1Char('M'));
    const qsizetype year = format.indexOf(QLatin1Char('y'));
    if (year >= 0 && year < day && year < month)
        return Order::YearMonthDay;
    if (month >= 0 && day >= 0 && month < day)
        return Order::MonthDayYear;
    return Order::DayMonthYear;
}

int fullYear(const QString &digits)
{
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

// Hours of a 12-hour clock with its AM / PM marker; -1 when they do not fit together.
int hourOfDay(int hour, const QString &marker, const QLocale &locale)
{
    if (marker.isEmpty())
        return hour;
    if (hour < 1 || hour > 12)
        return -1;
    const bool pm = marker.compare(QLatin1String("PM"), Qt::CaseInsensitive) == 0 ||
                    marker.compare(locale.pmText(), Qt::CaseInsensitive) == 0;
    return hour % 12 + (pm ? 12 : 0);
}

}  // namespace

std::optional<QDateTime> DateReader::read(const QString &text, const QLocale &locale)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(\d{1,4})[./-](\d{1,2})[./-](\d{1,4})(?:[\sT]+(\d{1,2})[:.](\d{1,2})(?:[:.](\d{1,2}))?\s*(\S+)?)?\s*$)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;

    const QString first = match.captured(1);
    const int second = match.captured(2).toInt();
    const QString third = match.captured(3);
    const Order order = first.size() == 4 ? Order::YearMonthDay : orderOf(locale);
    QDate date;
    switch (order) {
    case Order::DayMonthYear: date = QDate(fullYear(third), second, first.toInt()); break;
    case Order::MonthDayYear: date = QDate(fullYear(third), first.toInt(), second); break;
    case Order::YearMonthDay: date = QDate(fullYear(first), second, third.toInt()); break;
    }
    if (!date.isValid())
        return std::nullopt;

    QTime time(0, 0);
    if (match.hasCaptured(4)) {
        const QString marker = match.captured(7);
        const bool knownMarker = marker.isEmpty() || marker.compare(QLatin1String("AM"), Qt::CaseInsensitive) == 0 ||
                                 marker.compare(QLatin1String("PM"), Qt::CaseInsensitive) == 0 ||
                                 marker.compare(locale.amText(), Qt::CaseInsensitive) == 0 ||
                                 marker.compare(locale.pmText(), Qt::CaseInsensitive) == 0;
        if (!knownMarker)
            return std::nullopt;
        const int hour = hourOfDay(match.captured(4).toInt(), marker, locale);
        time = QTime(hour, match.captured(5).toInt(), match.captured(6).toInt());
        if (hour < 0 || !time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time);
}

}  // namespace platform
