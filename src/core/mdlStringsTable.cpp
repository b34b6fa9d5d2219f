// The built-in English texts as a table the translation looks up by number.
#include "mdlStringsTable.h"

namespace mdlStrings {

const std::array<BuiltInText, BuiltInTextCount> BuiltInTexts = {{
#define VARIX_TEXT(name, number, english) {number, english},
#define VARIX_TRANSLATED_TEXT(name, number)
#include "BuiltInTexts.def"
#undef VARIX_TEXT
#undef VARIX_TRANSLATED_TEXT
}};

}  // namespace mdlStrings
