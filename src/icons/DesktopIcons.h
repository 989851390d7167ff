#pragma once
#include <cstdint>
#include <string>

#include "app/AppState.h"

namespace stowly {

// Number of items of the desktop's list view; 0 when it cannot be reached.
int16_t CountDesktopIcons(Context& ctx);
// Fills st.DesktopIcons from the desktop's list view. With `listing` given, the
// listing text is written into it (it is left untouched when nothing is read).
void EnumDesktopIcons(Context& ctx, std::string* listing);
// Moves every desktop item named in the position list at `path` to its position.
void RestoreLocations(Context& ctx, const std::string& path);

} // namespace stowly
