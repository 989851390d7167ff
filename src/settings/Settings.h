#pragma once
#include <string>

#include "core/AppState.h"

namespace stowly {

// Every preference of programFolder + "stowly.ini". A value that cannot be read
// is reported, and it and the values after it keep their defaults.
Settings ReadINI(Platform& os, Ui& ui, const std::string& programFolder);
// Stores the whole settings record into programFolder + "stowly.ini".
void WriteINI(Platform& os, const std::string& programFolder, const Settings& settings);

} // namespace stowly
