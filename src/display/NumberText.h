#pragma once

#include <QString>
#include <optional>

// Numbers of the oscilloscope as the user sees and types them.
namespace NumberText {

// The value a single-precision number stands for: its shortest decimal form read as a double, so
// that 0.1f formats as 0.1 and not as 0.100000001490116.
double fromSingle(float value);

// The text of a single in a box: seven significant digits in the user's number format.
QString ofSingle(float value);

// A number typed into a box: a decimal comma or point, an optional sign and exponent, blanks
// around it; nothing when the text holds anything else.
std::optional<double> readTyped(const QString &text);

// The same, for a box that holds a single: nothing beyond the single range either.
std::optional<float> readTypedSingle(const QString &text);

}  // namespace NumberText
