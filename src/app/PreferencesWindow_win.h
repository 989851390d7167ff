#pragma once
// frmPreferences, shown modally over the main window.
#include <windows.h>

#include "core/AppState.h"

namespace stowly {

// Shows the dialog until Done has stored the preferences (true) or Cancel.
bool ShowPreferencesWindow(HWND owner, Context& ctx);

} // namespace stowly
