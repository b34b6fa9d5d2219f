#include "TallyCounters.h"

#include <algorithm>

namespace devsim {
namespace {

constexpr int Groups = 5;
constexpr int GroupBytes = 4;
constexpr int BitsPerByte = 8;
constexpr quint32 Base = 33;

// A byte with its lowest `count` bits cleared.
char worn(int count)
{
    return static_cast<char>(static_cast<quint8>(0xFF << count));
}

int wornBits(quint8 byte)
{
    int count = 0;
    while (count < BitsPerByte && !(byte & (1 << count)))
        ++count;
    return count;
}

}  // namespace

TallyCounters::TallyCounters() : bytes_(Counters * CounterBytes, static_cast<char>(0xFF)) {}

void TallyCounters::set(int counter, quint32 seconds)
{
    quint32 rest = std::min(seconds, MaxSeconds);
    for (int group = 0; group < Groups; ++group) {
        int digit = static_cast<int>(rest % Base);
        rest /= Base;
        for (int k = 0; k < GroupBytes; ++k) {
            const int count = std::min(digit, BitsPerByte);
            bytes_[counter * CounterBytes + group * GroupBytes + k] = worn(count);
            digit -= count;
        }
    }
}

quint32 TallyCounters::seconds(int counter) const
{
    quint32 value = 0;
    quint32 weight = 1;
    for (int group = 0; group < Groups; ++group) {
        quint32 digit = 0;
        for (int k = 0; k < GroupBytes; ++k)
            digit += wornBits(static_cast<quint8>(bytes_.at(counter * CounterBytes + group * GroupBytes + k)));
        value += digit * weight;
        weight *= Base;
    }
    return value;
}

void TallyCounters::add(int counter, quint32 seconds)
{
    set(counter, std::min<quint64>(static_cast<quint64>(this->seconds(counter)) + seconds, MaxSeconds));
}

void TallyCounters::clear()
{
    bytes_.fill(static_cast<char>(0xFF));
}

}  // namespace devsim
