#pragma once
#include "core/AppState.h"

namespace stowly {

// The quick clean: empties both desktops into the closet named by
// st.ClosetDirectory and st.ClosetKeyFile.
void CleanDesktop(Context& ctx);
// The quick restore: puts the closet's items, icon positions and wallpaper back.
void RestoreDesktop(Context& ctx);

} // namespace stowly
