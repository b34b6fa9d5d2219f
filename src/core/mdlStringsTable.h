#pragma once

#include <array>
#include <cstdint>

namespace mdlStrings {

struct BuiltInText {
    int32_t id;
    const char16_t *text;
};

extern const std::array<BuiltInText, 405> BuiltInTexts;

}  // namespace mdlStrings
