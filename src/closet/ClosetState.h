#pragma once
// Small closet and folder routines shared across the program.
#include <string>

#include "platform/Platform.h"
#include "platform/Ui.h"

namespace stowly {

// True when the closet folder holds nothing but the shell's own hidden system
// files. A folder counts as much as a file, and so does a hidden item: a closet
// holding either still has something to restore. A missing folder is empty.
bool CheckCloset(Platform& os, const std::string& folder);
// True when the path (or pattern) names at least one visible plain file.
bool FileExists(Platform& os, const std::string& path);
// Creates the folder and every missing parent; true when the folder was created
// by this call (false when it existed already or could not be made).
bool CreateFolderPath(Platform& os, const std::string& path);
// The folder, made with its missing parents when it is not there; true when it is
// a folder afterwards (false for a file of that name or a place that cannot be written).
bool HaveFolder(Platform& os, const std::string& folder);
// Enables or disables the main window's seven command buttons.
void LockBigButtons(Ui& ui, bool enabled);

} // namespace stowly
