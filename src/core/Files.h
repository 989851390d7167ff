#pragma once
// General file helpers over the platform's calls.
#include <string>

#include "platform/Platform.h"

namespace stowly {

// True when the path (or pattern) names at least one visible plain file.
bool FileExists(Platform& os, const std::string& path);
// Creates the folder and every missing parent; true when the folder was created
// by this call (false when it existed already or could not be made).
bool CreateFolderPath(Platform& os, const std::string& path);
// The folder, made with its missing parents when it is not there; true when it is
// a folder afterwards (false for a file of that name or a place that cannot be written).
bool HaveFolder(Platform& os, const std::string& folder);

} // namespace stowly
