#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The program's string resources: the software catalogue's names, descriptions, flags and
// download baud rates.
namespace resources {

inline constexpr int32_t ErrResourceNotFound = 326;

// The string with that id, or nothing when the program carries none.
std::optional<QString> findString(int32_t id);

// The string with that id; raises ErrResourceNotFound when the program carries none.
QString loadString(int32_t id);

}  // namespace resources
