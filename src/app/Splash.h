#pragma once

namespace stowly {

class Win32Ui;

// Shows frmSplash for three seconds, letting every window message run meanwhile,
// then unloads it.
void ShowSplash(Win32Ui& ui);

} // namespace stowly
