#pragma once
// The main window: created after the splash, it owns the program from then on.

#include "core/AppState.h"

namespace stowly {

class Win32Ui;

// Loads the main window and runs the program's message loop until it ends;
// returns the exit code.
int RunMainWindow(Context& ctx, Win32Ui& ui);

} // namespace stowly
