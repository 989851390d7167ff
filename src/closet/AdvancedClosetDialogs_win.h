#pragma once
#include <windows.h>

#include "core/AppState.h"

namespace stowly {

class Win32Ui;

// frmCleanDesktop and frmRestoreDesktop, modal over `owner`, on the closet the
// main window's Clean or Restore command chose.
void ShowAdvancedCleanDialog(HWND owner, Context& ctx, Win32Ui& ui);
void ShowAdvancedRestoreDialog(HWND owner, Context& ctx, Win32Ui& ui);

} // namespace stowly
