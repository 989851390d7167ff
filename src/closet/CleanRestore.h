#pragma once
#include <string>
#include <vector>

#include "closet/KeyFile.h"
#include "core/AppState.h"

namespace stowly {

// The first sentence of the final message of a clean and of a restore; further
// sentences tell what was left undone, or what is worth knowing.
inline constexpr const char* kCleanFinished = "Your Desktop has been cleaned.";
inline constexpr const char* kRestoreFinished = "Your Icons have been restored.";

// The quick clean: empties both desktops into the closet named by
// st.ClosetDirectory and st.ClosetKeyFile.
void CleanDesktop(Context& ctx);
// The quick restore: puts the closet's items, icon positions and wallpaper back.
void RestoreDesktop(Context& ctx);
// At start: when a clean or restore was stopped half way (its journal is still
// there), says so and offers to finish it. Yes finishes it; No leaves everything
// as it is, and the question comes again at the next start.
void OfferToFinishInterrupted(Context& ctx);
// Before a clean or restore (with the operation lock held): a stopped run's journal
// would be replaced by the new one and what it records lost, so its run is offered
// to be finished first. True when no journal is left; false when the user said No
// or the run could not be finished, and the command must not go on.
bool NoStoppedRunLeft(Context& ctx);

// The steps the quick operations share with the advanced dialogs.

inline constexpr const char* kClosetNotEmpty = "Your default closet is not empty please do a restore first.";
// True when neither closet folder holds anything but the shell's own hidden system
// files: a clean goes only into an empty closet, so that no key file and no other
// desktop's items are mixed in.
bool ClosetIsEmpty(Platform& os, const ClosetPlaces& places);
// The same, and a synced closet of this key file (closet/SyncedCloset.h) empty too.
bool AllClosetsEmpty(Platform& os, const AppState& st, const ClosetPlaces& places);
// Points `places` at the synced closet where one applies: for a clean, when a sync
// client keeps the user's desktop; for a restore, the one the note beside the key
// file names while it holds anything; for a stopped run, the one the note names.
enum class SyncedFor { Clean, Restore, StoppedRun };
void TakeSyncedCloset(Platform& os, const AppState& st, ClosetPlaces& places, SyncedFor use);
// Says why the closet at `places` cannot be used (ClosetPlaceProblem) and returns
// true, or returns false when it can.
bool RefuseUnusableCloset(Context& ctx, const ClosetPlaces& places);
inline constexpr const char* kAlreadyEmpty = "No icons to restore. Your closet is already empty.";
// The closet folders that hold anything, quoted: "\"A\"" or "\"A\" and \"B\"".
std::string FoldersWithFiles(Platform& os, const ClosetPlaces& places);
// A key file moved alone: the closet folder beside it holds nothing, while the
// folder its first line names holds a closet that may be used. The user is then
// asked whether to restore from there. Use: `places` names that closet folder (the
// key file stays where it is) and `named` is the state to restore with (its
// ClosetDirectory the named folder); Declined: the user said No and was told where
// the files are; None: there is no such closet (or no key file to name one).
enum class NamedCloset { None, Use, Declined };
NamedCloset OfferClosetNamedByKeyFile(Context& ctx, ClosetPlaces& places, AppState& named);
// " N items could not be moved." (" 1 item ..."), or nothing when all moved.
std::string NotMovedSentence(int failed);
// The clean after its checks and prompts: makes the closet folders, writes the key
// file and the journal, moves every item of both desktops into the closet one at a
// time and swaps in the clean wallpaper. Throws RuntimeError before anything moves
// (a desktop folder that cannot be used, a closet folder or key file that cannot be
// made). `progressLabels` names each item in the progress window and lets messages
// run while the key file is written.
struct CleanResult {
    int notMoved = 0;  // items that stayed where they were
    std::string extra; // sentences the final message adds (the wallpaper backup failed)
};
CleanResult CleanIntoCloset(Context& ctx, const ClosetPlaces& places, const KeyFileHeader& header,
                            const std::vector<IconRecord>& icons, bool progressLabels);
// The restore after its checks and prompts: moves the items of both closet folders
// back, applies the key file's positions as far as its icon lines are whole and
// puts the recorded wallpaper back. The items always come from the closet beside
// the key file (`places`), whatever folder `saved` names. Throws RuntimeError
// before anything moves.
struct RestoreResult {
    int notMoved = 0;
    bool positionsApplied = false; // every icon line read, the desktop reached, every icon placed
    std::string extra;             // sentences the final message adds
};
RestoreResult RestoreFromCloset(Context& ctx, const ClosetPlaces& places, const KeyFileHeader& saved);

} // namespace stowly
