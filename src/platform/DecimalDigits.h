#pragma once

#include <string>

namespace platform {

// The decimal digits of a finite, non-negative number as the runtime sees it: at most a fixed count
// of significant digits (15 for a Double, 7 for a Single), rounded half away from zero when fewer
// digits are shown. value = 0.digits x 10^point.
class DecimalDigits {
public:
    DecimalDigits(double magnitude, int significantDigits);

    // Multiplies by a power of ten, exactly: the digits stay, the point moves.
    void shift(int powerOfTen);

    // Rounds to the given number of digits after the decimal point.
    void roundToFraction(int fractionDigits);
    // Moves the decimal point so that integerDigits digits stand before it, as a mantissa does;
    // returns the power of ten taken out.
    int normalise(int integerDigits);

    // Digits before the point, without leading zeros ("" for a value below 1).
    std::string integerPart() const;
    // Exactly count digits after the point.
    std::string fractionPart(int count) const;
    // Significant digits without trailing zeros, and the exponent of the first one.
    std::string significant() const;
    int exponent() const { return point_ - 1; }
    bool isZero() const;

private:
    std::string digits_;
    int point_ = 1;
};

}  // namespace platform
