#pragma once
#include <string>

#include "core/AppState.h"
#include "settings/IniFile.h"

namespace stowly {

// The settings record from the "PREFS" section of a settings document. A value
// that cannot be converted (a WallPaperStyle outside 16 bits) costs only its own
// field, which takes its missing value; *firstError gets the number of the first
// such failure, 0 when there is none.
Settings SettingsFromIni(const IniFile& ini, int* firstError);
// Stores every field into the document's "PREFS" section. A text holding a line
// break is refused: RuntimeError 5, and the document is unchanged.
void SettingsToIni(IniFile& ini, const Settings& settings);

// Every preference of programFolder + "stowly.ini". Values that cannot be read are
// reported once, under "ReadINI"; each keeps its default and the others are read.
Settings ReadINI(Platform& os, Ui& ui, const std::string& programFolder);
// Stores the whole settings record into programFolder + "stowly.ini". 0, or the
// reason the file was left as it was: 5 when a text holds a line break, 75 when the
// file exists but cannot be read, or the error of the write. The record keeps its
// values for this run either way.
int WriteINI(Platform& os, const std::string& programFolder, const Settings& settings);

} // namespace stowly
