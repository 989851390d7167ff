#pragma once
// The desktop's icons: the list view of the shell's desktop, read into the
// program's icon table (AppState::DesktopIcons) and moved to recorded positions.
// Every operation reports its own failures under its own name and then ends.

#include <cstdint>
#include <string>

#include "app/AppState.h"

namespace stowly {

// Whether the desktop's list view can be found.
bool GetDesktopHwnd(Context& ctx);
// Number of items of the desktop's list view; 0 when it cannot be reached.
int16_t CountDesktopIcons(Context& ctx);
// Fills st.DesktopIcons from the desktop's list view, in the view's item order.
// When the view cannot be reached the table keeps what it held. With `listing`
// given, it is replaced by the listing text of the items (left untouched when
// the view has no items or cannot be reached).
void EnumDesktopIcons(Context& ctx, std::string* listing);
// The listing text of one item at list index `index`.
std::string IconListingText(int index, const IconRecord& icon);
// Reads the position list at `path` whole, refreshes the icon table and moves
// every desktop item whose trimmed, upper-cased name a record carries to that
// record's position; the first record of a name wins, and every item showing
// that name moves.
void RestoreLocations(Context& ctx, const std::string& path);

} // namespace stowly
