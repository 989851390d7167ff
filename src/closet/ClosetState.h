#pragma once
// The state of a closet folder.
#include <string>

#include "platform/Platform.h"

namespace stowly {

// True when the closet folder holds nothing but the shell's own hidden system
// files. A folder counts as much as a file, and so does a hidden item: a closet
// holding either still has something to restore. A missing folder is empty; one
// that cannot be looked into (an offline network folder, refused access) throws
// RuntimeError: it is neither empty nor known to be full.
bool CheckCloset(Platform& os, const std::string& folder);

} // namespace stowly
