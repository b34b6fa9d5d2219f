#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace mdlStrings {

struct BuiltInText {
    int32_t id;
    const char16_t *text;
};

// Counted from the table's own rows, so that adding a text needs no number changed elsewhere.
inline constexpr std::size_t BuiltInTextCount = 0
#define VARIX_TEXT(name, number, english) +1
#define VARIX_TRANSLATED_TEXT(name, number)
#include "BuiltInTexts.def"
#undef VARIX_TEXT
#undef VARIX_TRANSLATED_TEXT
    ;

// Sorted by id: the translation looks texts up by binary search.
extern const std::array<BuiltInText, BuiltInTextCount> BuiltInTexts;

}  // namespace mdlStrings
