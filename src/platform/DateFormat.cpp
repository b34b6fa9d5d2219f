#include "DateFormat.h"

namespace platform {
namespace {

QString firstOf(const QString &format, const QString &candidates, const QString &fallback)
{
    for (const QChar c : format) {
        if (candidates.contains(c))
            return QString(c);
    }
    return fallback;
}

QString padded(int value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

}  // namespace

DateFormat::DateFormat(const QString &pattern)
{
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        const QChar lower = c.toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == lower)
            ++run;
        const auto take = [&](qsizetype used, Field field, int width) {
            tokens_.push_back({field, width, QString()});
            i += used;
        };
        if (lower == QLatin1Char('d') || lower == QLatin1Char('m')) {
            const bool day = lower == QLatin1Char('d');
            const int width = static_cast<int>(std::min<qsizetype>(run, 4));
            if (width >= 3)
                take(width, day ? Field::DayName : Field::MonthName, width);
            else
                take(width, day ? Field::Day : Field::Month, width);
        } else if (lower == QLatin1Char('y')) {
            if (run >= 4)
                take(4, Field::Year, 4);
            else if (run >= 2)
                take(2, Field::Year, 2);
            else
                take(1, Field::DayOfYear, 1);
        } else if (lower == QLatin1Char('h') || lower == QLatin1Char('n') || lower == QLatin1Char('s')) {
            const Field field = lower == QLatin1Char('h')   ? Field::Hour
                                : lower == QLatin1Char('n') ? Field::Minute
                                                            : Field::Second;
            take(std::min<qsizetype>(run, 2), field, static_cast<int>(std::min<qsizetype>(run, 2)));
        } else if (c == QLatin1Char('/')) {
            take(1, Field::DateSeparator, 0);
        } else if (c == QLatin1Char(':')) {
            take(1, Field::TimeSeparator, 0);
        } else if (c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close;
            tokens_.push_back({Field::Literal, 0, pattern.mid(i + 1, end - i - 1)});
            i = end + 1;
        } else if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            tokens_.push_back({Field::Literal, 0, pattern.mid(i + 1, 1)});
            i += 2;
        } else {
            tokens_.push_back({Field::Literal, 0, QString(c)});
            ++i;
        }
    }
    markMinutes();
}

// "m" and "mm" stand for minutes when the nearest field before them is an hour or the nearest
// field after them is seconds ("hh:mm", "mm:ss").
void DateFormat::markMinutes()
{
    const auto isField = [](const Token &t) {
        return t.field != Field::Literal && t.field != Field::DateSeparator && t.field != Field::TimeSeparator;
    };
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
        if (tokens_[i].field != Field::Month)
            continue;
        bool afterHour = false;
        for (std::size_t j = i; j-- > 0;) {
            if (isField(tokens_[j])) {
                afterHour = tokens_[j].field == Field::Hour;
                break;
            }
        }
        bool beforeSeconds = false;
        for (std::size_t j = i + 1; j < tokens_.size(); ++j) {
            if (isField(tokens_[j])) {
                beforeSeconds = tokens_[j].field == Field::Second;
                break;
            }
        }
        if (afterHour || beforeSeconds)
            tokens_[i].field = Field::Minute;
    }
}

QString DateFormat::apply(const QDate &date, const QTime &time, const QLocale &locale) const
{
    QString out;
    for (const Token &t : tokens_) {
        switch (t.field) {
        case Field::Literal: out += t.text; break;
        case Field::DateSeparator: out += dateSeparator(locale); break;
        case Field::TimeSeparator: out += timeSeparator(locale); break;
        case Field::Day: out += padded(date.day(), t.width); break;
        case Field::DayName:
            out += locale.dayName(date.dayOfWeek(), t.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            break;
        case Field::Month: out += padded(date.month(), t.width); break;
        case Field::MonthName:
            out += locale.monthName(date.month(), t.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            break;
        case Field::Year: out += t.width == 4 ? padded(date.year(), 4) : padded(date.year() % 100, 2); break;
        case Field::DayOfYear: out += QString::number(date.dayOfYear()); break;
        case Field::Hour: out += padded(time.hour(), t.width); break;
        case Field::Minute: out += padded(time.minute(), t.width); break;
        case Field::Second: out += padded(time.second(), t.width); break;
        }
    }
    return out;
}

QString DateFormat::dateSeparator(const QLocale &locale)
{
    return firstOf(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/.-"), QStringLiteral("/"));
}

QString DateFormat::timeSeparator(const QLocale &locale)
{
    return firstOf(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":."), QStringLiteral(":"));
}

}  // namespace platform
