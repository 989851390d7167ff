#pragma once
#include <windows.h>

#include "core/AppState.h"

namespace stowly {

class Win32Ui;

// frmIconPositions, modal over `owner`. True when Done stored the favourites, so
// that the favourite menu items follow them.
bool ShowIconPositionsDialog(HWND owner, Context& ctx, Win32Ui& ui);

} // namespace stowly
