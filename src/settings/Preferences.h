#pragma once
// frmPreferences apart from its window: what the controls show when it opens,
// Browse for Wallpaper, and Done, which stores everything or nothing.
#include <optional>
#include <string>

#include "core/AppState.h"

namespace stowly {

struct PreferencesForm {
    // Check boxes: 0 clear, 1 ticked, 2 greyed.
    int minimizeToTray = 0;
    int runOnStartUp = 0;
    int advancedMode = 0;
    std::string wallpaper;
    int wallpaperStyle = -1; // the option selected: 0 Center, 1 Tile, 2 Stretch; -1 none
    int keepLayouts = 0;     // a check box too
};

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "Stowly";
inline constexpr const char* kConvertedWallpaper = "StowlyWallpaper.bmp";

// The load step: the controls as the settings fill them, in the form's order. A
// setting the controls cannot show is reported as "PreferenceLoad"; the controls
// after it stay as they were.
PreferencesForm LoadPreferences(Ui& ui, const Settings& settings);

// Browse for Wallpaper: the picture chosen, or nullopt when the user cancelled
// (the box keeps its text).
std::optional<std::string> BrowseForWallpaper(Ui& ui, const std::string& programFolder);

// Done. True when the settings record, the start-up entry and the settings file
// now hold the form and the dialog may close. False when a step failed: it was
// reported as "PreferenceDone", the settings record is untouched and the dialog
// stays open.
bool PreferencesDone(Context& ctx, const PreferencesForm& form);

// A picture that is no bitmap becomes "StowlyWallpaper.bmp" in the program folder
// (an earlier one stays whole when this one cannot be decoded); returns the path
// to store. Throws RuntimeError when the picture cannot be read or written.
std::string ConvertWallpaper(Platform& os, const std::string& programFolder, const std::string& wallpaper);

// What the start-up entry runs: the program's full path in double quotes.
std::string StartupCommand(const std::string& programFolder);
// Writes the start-up entry into the current user's Run key, or removes it from
// that key and, where the user may, from the machine's. 0 or the Windows error.
int SetRunOnStartup(Platform& os, const std::string& programFolder, bool enable);

} // namespace stowly
