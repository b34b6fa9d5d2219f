#pragma once

#include <QByteArray>

namespace devsim {

// The ten RMS band counters as the device keeps them in wear-levelled memory: 20 bytes each, five
// groups of four bytes. A byte counts by clearing its bits from bit 0 up (255 is 0, 0 is 8); a
// group is one base-33 digit, the sum of its bytes; group 0 is the lowest digit.
class TallyCounters {
public:
    static constexpr int Counters = 10;
    static constexpr int CounterBytes = 20;
    static constexpr quint32 MaxSeconds = 39135392;  // 33^5 - 1

    TallyCounters();

    void set(int counter, quint32 seconds);
    quint32 seconds(int counter) const;
    // Counts on; a counter at its top stays there.
    void add(int counter, quint32 seconds);
    void clear();

    // The 200 bytes the device serves, counter 0 first.
    const QByteArray &bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};

}  // namespace devsim
