#pragma once

#include "platform/RuntimeError.h"

#include <functional>

// The number of the RuntimeError the call raises, or 0 when it raises none.
inline long errorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}
