#include "closet/SyncedCloset.h"

#include "core/Error.h"
#include "platform/Paths.h"
#include "platform/FileText.h"
#include "platform/Text.h"

namespace stowly {

namespace {

// The closet folder `folder` for this key file, when a closet may be kept there.
bool UsableCloset(const AppState& st, const ClosetPlaces& places, const std::string& folder) {
    ClosetPlaces there = places;
    there.closetFolder = folder;
    return ClosetPlaceProblem(st, there).empty();
}

std::string SyncedClosetIn(const std::string& root, const ClosetPlaces& places) {
    return root + "\\" + kSyncedClosetsFolder + "\\" + places.closetName;
}

} // namespace

std::string SyncedNotePath(const ClosetPlaces& places) { return places.keyFile + ".synced"; }

std::string SyncedClosetFor(Platform& os, const AppState& st, const ClosetPlaces& places) {
    std::string root = os.SyncRootOf(st.UserDesktopFolder);
    while (root.size() > 3 && root.back() == '\\') root.pop_back();
    if (root.empty()) return {};
    const std::string folder = SyncedClosetIn(root, places);
    return UsableCloset(st, places, folder) ? folder : std::string();
}

std::string NamedSyncedCloset(Platform& os, const AppState& st, const ClosetPlaces& places) {
    const auto bytes = os.ReadFile(SyncedNotePath(places));
    if (!bytes) return {};
    std::string folder = Trim(DecodeFileText(os, *bytes));
    if (const size_t end = folder.find_first_of("\r\n"); end != std::string::npos) folder = Trim(folder.substr(0, end));
    const size_t cut = folder.rfind("\\" + std::string(kSyncedClosetsFolder) + "\\");
    if (cut == std::string::npos || !SamePath(folder, SyncedClosetIn(folder.substr(0, cut), places)) ||
        !UsableCloset(st, places, folder))
        return {};
    return folder;
}

void NoteSyncedCloset(Platform& os, const ClosetPlaces& places) {
    const std::string note = SyncedNotePath(places);
    const int error = places.synced ? os.WriteFile(note, EncodeFileText(os, places.closetFolder + "\r\n"))
                                    : os.RemoveFile(note);
    if (error != 0) throw RuntimeError(err::PathFileAccess);
}

std::string SyncedSentence(const ClosetPlaces& places) {
    if (!places.synced) return {};
    return " Your desktop is synced, so its items also left the desktop on your other computers: they are in \"" +
           places.closetFolder + "\".";
}

} // namespace stowly
