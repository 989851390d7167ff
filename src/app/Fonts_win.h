#pragma once
#include <windows.h>

namespace stowly {

// The system's message font at `dpi`, `tenthsOfPoint` high, of `weight`; in the
// face named instead where one is given.
HFONT MessageFont(UINT dpi, int tenthsOfPoint, LONG weight, const wchar_t* face = nullptr);

} // namespace stowly
