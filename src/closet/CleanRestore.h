#pragma once
#include <string>
#include <vector>

#include "closet/KeyFile.h"
#include "core/AppState.h"

namespace stowly {

// The quick clean: empties both desktops into the closet named by
// st.ClosetDirectory and st.ClosetKeyFile.
void CleanDesktop(Context& ctx);
// The quick restore: puts the closet's items, icon positions and wallpaper back.
void RestoreDesktop(Context& ctx);

// The steps the quick operations share with the advanced dialogs.

inline constexpr const char* kClosetNotEmpty = "Your default closet is not empty please do a restore first.";
// True when neither closet folder holds anything visible: a clean goes only into
// an empty closet, so that no key file and no other desktop's items are mixed in.
bool ClosetIsEmpty(Platform& os, const ClosetPlaces& places);
// " N items could not be moved." (" 1 item ..."), or nothing when all moved.
std::string NotMovedSentence(int failed);
// Writes the key file, moves every item of both desktops into the closet one at a
// time and swaps in the clean wallpaper. Returns how many items could not be moved
// (they stay where they were); throws RuntimeError. `progressLabels` names each
// item in the progress window and lets messages run while the key file is written.
int CleanIntoCloset(Context& ctx, const ClosetPlaces& places, const KeyFileHeader& header,
                    const std::vector<IconRecord>& icons, bool progressLabels);
struct RestoreResult {
    int notMoved = 0;
    bool positionsApplied = false; // RestoreLocations read the key file and reached the desktop
};
// Moves the items of both closet folders back, applies the key file's positions
// and puts the recorded wallpaper back. `places` follow the recorded closet
// directory. Throws RuntimeError.
RestoreResult RestoreFromCloset(Context& ctx, const ClosetPlaces& places, const KeyFileHeader& saved);

} // namespace stowly
