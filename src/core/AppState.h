#pragma once
// The state that outlives a command: what start-up found, the settings, and the
// closet the next clean or restore works on. Everything else flows through
// arguments and return values.

#include <array>
#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "platform/Ui.h"

namespace stowly {

// The settings record, read from "stowly.ini" at start-up.
struct Settings {
    double MinSystemTray = 0; // numbers: 1 means on, anything else off
    double RunOnStartUP = 0;
    std::string DefaultWindowsBackground;
    int16_t WallPaperStyle = 0; // 0 Center, 1 Tile, 2 Stretch
    double AdvancedMode = 0;
    std::array<std::string, 4> FavoriteLocation; // "Blank" marks a free slot
    std::array<std::string, 4> FavoritePath;
    double KeepLayouts = 0; // a layout kept for every display configuration (icons/LayoutKeeper.h)
    bool operator==(const Settings&) const = default;
};

struct AppState {
    // Filled by start-up.
    std::string ProgramFolder;       // upper case, ends with a backslash
    std::string UserDesktopFolder;   // no trailing backslash
    std::string CommonDesktopFolder; // no trailing backslash
    std::string OSName;
    Settings settings;

    // The closet the next clean or restore works on.
    std::string ClosetDirectory; // ends with a backslash
    std::string ClosetKeyFile;   // file name only
    std::string ClosetPassword;
};

// What an operation needs: the system, the prompts and the program's state.
struct Context {
    Platform& os;
    Ui& ui;
    AppState& st;
};

} // namespace stowly
