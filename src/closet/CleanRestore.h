#pragma once
#include "core/AppState.h"

namespace stowly {

// The quick clean: empties both desktops into the closet named by
// st.ClosetDirectory and st.ClosetKeyFile.
void CleanDesktop(Context& ctx);
// The quick restore: puts the closet's items, icon positions and wallpaper back.
void RestoreDesktop(Context& ctx);
// At start: when a clean or restore was stopped half way (its journal is still
// there), says so and offers to finish it. Yes finishes it; No leaves everything
// as it is, and the question comes again at the next start.
void OfferToFinishInterrupted(Context& ctx);

} // namespace stowly
