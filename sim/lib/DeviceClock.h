#pragma once

#include <QDateTime>
#include <QElapsedTimer>

#include <array>

namespace devsim {

// The device's real-time clock: it runs on from the moment it was set and shows itself in six
// register-image bytes: second, minute, hour, day (year within the leap cycle in bits 6-7) and
// month in BCD, then the year within the century.
class DeviceClock {
public:
    static constexpr int FirstImageByte = 233;
    static constexpr int ImageBytes = 6;
    using Fields = std::array<quint8, ImageBytes>;

    DeviceClock();

    void set(const QDateTime &when);
    QDateTime now() const;
    Fields imageBytes() const;
    // The same six fields for any moment.
    static Fields fieldsOf(const QDateTime &when);
    // The clock command: the same six fields; false (clock unchanged) when they are no valid date.
    bool setFromFields(const Fields &fields);

private:
    QDateTime base_;
    QElapsedTimer sinceSet_;
};

}  // namespace devsim
