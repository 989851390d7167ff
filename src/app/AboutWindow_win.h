#pragma once
// frmAbout, shown modally over the main window.
#include <windows.h>

#include "core/AppState.h"

namespace stowly {

void ShowAboutWindow(HWND owner, Context& ctx);

} // namespace stowly
