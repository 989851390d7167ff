#pragma once
// The process-wide state of the program, in one place, passed where needed.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Ui.h"

namespace stowly {

constexpr const char* kAppTitle = "Stowly";
constexpr int kVersionMajor = STOWLY_VERSION_MAJOR;
constexpr int kVersionMinor = STOWLY_VERSION_MINOR;
constexpr int kVersionRevision = STOWLY_VERSION_REVISION;
// "4.0.0"
std::string VersionText();

// The settings record, read from "stowly.ini" at start-up.
struct Settings {
    double MinSystemTray = 0; // numbers: 1 means on, anything else off
    double RunOnStartUP = 0;
    std::string DefaultWindowsBackground;
    int16_t WallPaperStyle = 0; // 0 Center, 1 Tile, 2 Stretch
    double AdvancedMode = 0;
    std::array<std::string, 4> FavoriteLocation; // "Blank" marks a free slot
    std::array<std::string, 4> FavoritePath;
};

// One desktop icon. Name is at most 128 characters; readers trim it.
struct IconRecord {
    std::string Name;
    int32_t X = 0;
    int32_t Y = 0;
};

struct AppState {
    // Filled by start-up.
    std::string ProgramFolder;       // upper case, ends with a backslash
    std::string UserDesktopFolder;   // no trailing backslash
    std::string CommonDesktopFolder; // no trailing backslash
    std::string OSName;
    std::string ScreenSizeText;

    Settings settings;

    // The icon table: DesktopIcons[k-1] is entry k; DesktopIconCount is its size.
    std::vector<IconRecord> DesktopIcons;

    // The closet the next clean or restore works on.
    std::string ClosetDirectory; // ends with a backslash
    std::string ClosetKeyFile;   // file name only
    std::string ClosetPassword;

    // The wallpaper in effect, as last read.
    std::string CurrentWallpaper;
    std::string CurrentWallpaperStyle;

    // Texts that drive the progress window.
    WaitState wait;

    // Notification-area icon.
    bool TrayIconShown = false;
};

// What an operation needs: the system, the prompts and the program's state.
struct Context {
    Platform& os;
    Ui& ui;
    AppState& st;
};

} // namespace stowly
