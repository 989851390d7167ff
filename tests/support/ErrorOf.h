#pragma once
#include "core/Error.h"

namespace stowly::test {

// The run-time error number that `f` throws, 0 when it throws nothing.
template <class F>
int ErrorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace stowly::test
