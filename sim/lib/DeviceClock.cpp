#include "DeviceClock.h"

namespace devsim {

namespace {

quint8 toBcd(int value)
{
    return static_cast<quint8>(((value / 10) << 4) | (value % 10));
}

// -1 for a byte whose nibbles are not both decimal digits.
int fromBcd(quint8 value)
{
    const int high = value >> 4;
    const int low = value & 0x0F;
    return high > 9 || low > 9 ? -1 : high * 10 + low;
}

}  // namespace

DeviceClock::DeviceClock()
{
    set(QDateTime::currentDateTime());
}

void DeviceClock::set(const QDateTime &when)
{
    base_ = when;
    sinceSet_.start();
}

QDateTime DeviceClock::now() const
{
    return base_.addMSecs(sinceSet_.elapsed());
}

DeviceClock::Fields DeviceClock::imageBytes() const
{
    return fieldsOf(now());
}

DeviceClock::Fields DeviceClock::fieldsOf(const QDateTime &t)
{
    const int year = t.date().year();
    return {toBcd(t.time().second()), toBcd(t.time().minute()),
            toBcd(t.time().hour()),   static_cast<quint8>(toBcd(t.date().day()) | ((year % 4) << 6)),
            toBcd(t.date().month()),  static_cast<quint8>(year % 100)};
}

bool DeviceClock::setFromFields(const Fields &fields)
{
    const int second = fromBcd(fields[0] & 0x7F);
    const int minute = fromBcd(fields[1] & 0x7F);
    const int hour = fromBcd(fields[2] & 0x3F);
    const int day = fromBcd(fields[3] & 0x3F);
    const int month = fromBcd(fields[4] & 0x1F);
    const int year = 2000 + fields[5] % 100;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return false;
    set(QDateTime(date, time));
    return true;
}

}  // namespace devsim
