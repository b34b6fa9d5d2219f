#include "DeviceClock.h"

#include "core/mdlTools.h"

namespace DeviceClock {

namespace {
// The decimal value of a BCD byte; -1 when a digit is not decimal.
int fromBcd(uint8_t value)
{
    const int high = value >> 4;
    const int low = value & 0x0F;
    return high > 9 || low > 9 ? -1 : high * 10 + low;
}
}  // namespace

QDateTime zeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0));
}

int yearInCycle(int cycleYear, int currentYear)
{
    const int year = currentYear - currentYear % 4 + cycleYear;
    return year > currentYear ? year - 4 : year;
}

QDateTime decode(const Image &bytes, int currentYear)
{
    const int second = fromBcd(bytes[0] & 0x7F);
    const int minute = fromBcd(bytes[1] & 0x7F);
    const int hour = fromBcd(bytes[2] & 0x3F);
    const int day = fromBcd(bytes[3] & 0x3F);
    const int month = fromBcd(bytes[4] & 0x1F);
    const int year = yearInCycle((bytes[3] & 0xC0) / 64, currentYear);
    if (day < 1 || day > 31 || month < 1 || month > 12 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return zeroDate();
    // A day past the month's end rolls into the next month, as a date built from its parts does.
    const QDate date = QDate(year, month, 1).addDays(day - 1);
    return QDateTime(date, QTime(hour, minute, second));
}

std::array<int32_t, 6> encode(const QDateTime &when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    return {mdlTools::ToBCD(static_cast<uint8_t>(time.second())),
            mdlTools::ToBCD(static_cast<uint8_t>(time.minute())),
            mdlTools::ToBCD(static_cast<uint8_t>(time.hour())),
            mdlTools::ToBCD(static_cast<uint8_t>(date.day())) + 64 * (date.year() % 4),
            mdlTools::ToBCD(static_cast<uint8_t>(date.month())),
            date.year() % 100};
}

}  // namespace DeviceClock
