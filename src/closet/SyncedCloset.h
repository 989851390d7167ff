#pragma once
// The closet of a desktop that a sync client keeps (the user's desktop moved into a
// cloud folder). The client takes a move out of its sync root for a deletion: the
// items would vanish from the user's other computers and from the cloud, and come
// back as new files without their history. So the items of such a desktop go to a
// closet inside the same root, "<sync root>\Stowly Closet\<closet name>", and every
// move is a rename the client sees as a move. The key file stays where it is; a
// small file beside it ("<key file>.synced") names that closet, so that a restore
// and the finishing of a stopped run find it.
#include <string>

#include "closet/KeyFile.h"
#include "core/AppState.h"
#include "platform/Platform.h"

namespace stowly {

inline constexpr const char* kSyncedClosetsFolder = "Stowly Closet";

// The note beside the key file.
std::string SyncedNotePath(const ClosetPlaces& places);
// The closet a clean of the user's desktop takes inside its sync root; "" when no
// sync client keeps the desktop, or no closet can be kept in its root (the root is
// the desktop itself).
std::string SyncedClosetFor(Platform& os, const AppState& st, const ClosetPlaces& places);
// The synced closet the note names; "" when there is no note, or it names no
// closet of this key file's name in a "Stowly Closet" folder that a closet may be
// in (a damaged note never sends a restore to another folder).
std::string NamedSyncedCloset(Platform& os, const AppState& st, const ClosetPlaces& places);
// Writes the note for a clean into a synced closet, or removes an older one for
// a clean into the usual closet. Throws RuntimeError when it cannot.
void NoteSyncedCloset(Platform& os, const ClosetPlaces& places);
// The clean's final sentence for a synced desktop.
std::string SyncedSentence(const ClosetPlaces& places);

} // namespace stowly
