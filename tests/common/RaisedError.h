#pragma once

#include "platform/Error.h"

#include <cstdint>
#include <functional>

// The number of the error a call raises; 0 when it raises none.
inline int32_t raisedError(const std::function<void()> &call)
{
    try {
        call();
    } catch (const platform::Error &e) {
        return e.number();
    }
    return 0;
}
