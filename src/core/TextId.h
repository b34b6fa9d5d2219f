#pragma once

#include <cstdint>

// The built-in texts by name, for code that shows them: txt::CannotOpenComPort reads better than 27.
// Each name stands for the number that Strings.ini and the tests key on.
namespace txt {

enum Id : int32_t {
#define VARIX_TEXT(name, number, english) name = number,
#define VARIX_TRANSLATED_TEXT(name, number) name = number,
#include "core/BuiltInTexts.def"
#undef VARIX_TEXT
#undef VARIX_TRANSLATED_TEXT
};

}  // namespace txt
