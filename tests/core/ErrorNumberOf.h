#pragma once

#include "platform/Error.h"

#include <functional>

// The number of the error a call raises; 0 when it raises none.
inline int32_t errorNumberOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const platform::Error &error) {
        return error.number();
    }
    return 0;
}
