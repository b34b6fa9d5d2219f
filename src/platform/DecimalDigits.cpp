#include "DecimalDigits.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace platform {

DecimalDigits::DecimalDigits(double magnitude, int significantDigits)
{
    if (magnitude == 0) {
        digits_.assign(1, '0');
        return;
    }
    // to_chars, unlike printf, ignores the process locale: the mark is always "." and "e". The
    // scan stays within what was written, and the buffer's last byte stays NUL for atoi.
    char text[64] = {};
    const auto written =
        std::to_chars(text, text + sizeof text - 1, magnitude, std::chars_format::scientific, significantDigits - 1);
    const char *exponentMark = std::find(text, written.ptr, 'e');
    for (const char *c = text; c != exponentMark; ++c) {
        if (*c != '.')
            digits_ += *c;
    }
    point_ = (exponentMark == written.ptr ? 0 : std::atoi(exponentMark + 1)) + 1;
}

void DecimalDigits::shift(int powerOfTen)
{
    if (!isZero())
        point_ += powerOfTen;
}

void DecimalDigits::roundToFraction(int fractionDigits)
{
    const long keep = static_cast<long>(point_) + fractionDigits;
    if (keep >= static_cast<long>(digits_.size()))
        return;
    if (keep < 0) {
        digits_.assign(1, '0');
        point_ = 1;
        return;
    }
    const bool up = digits_[static_cast<std::size_t>(keep)] >= '5';
    digits_.resize(static_cast<std::size_t>(keep));
    if (up) {
        auto i = digits_.size();
        while (i > 0 && digits_[i - 1] == '9')
            digits_[--i] = '0';
        if (i == 0) {
            digits_.insert(digits_.begin(), '1');
            ++point_;
        } else {
            ++digits_[i - 1];
        }
    }
    if (digits_.find_first_not_of('0') == std::string::npos) {
        digits_.assign(1, '0');
        point_ = 1;
    }
}

int DecimalDigits::normalise(int integerDigits)
{
    if (isZero())
        return 0;
    const int shift = point_ - integerDigits;
    point_ = integerDigits;
    return shift;
}

std::string DecimalDigits::integerPart() const
{
    if (isZero() || point_ <= 0)
        return {};
    std::string part = digits_.substr(0, static_cast<std::size_t>(point_));
    part.resize(static_cast<std::size_t>(point_), '0');
    const auto first = part.find_first_not_of('0');
    return first == std::string::npos ? std::string() : part.substr(first);
}

std::string DecimalDigits::fractionPart(int count) const
{
    std::string part;
    for (int i = 0; i < count; ++i) {
        const long index = static_cast<long>(point_) + i;
        const bool inDigits = !isZero() && index >= 0 && index < static_cast<long>(digits_.size());
        part += inDigits ? digits_[static_cast<std::size_t>(index)] : '0';
    }
    return part;
}

std::string DecimalDigits::significant() const
{
    const auto last = digits_.find_last_not_of('0');
    return last == std::string::npos ? std::string("0") : digits_.substr(0, last + 1);
}

bool DecimalDigits::isZero() const
{
    return digits_.find_first_not_of('0') == std::string::npos;
}

}  // namespace platform
