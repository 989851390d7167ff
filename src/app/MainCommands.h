#pragma once
// The decisions of the main window's commands, apart from the window itself, so
// that they run (and are tested) on the simulated desktop.
#include <array>
#include <string>

#include "core/AppState.h"

namespace stowly {

// What the window has to show once a Clean or Restore command returns.
enum class CommandOutcome { Done, ShowAdvancedClean, ShowAdvancedRestore };

// Points the next clean or restore at the quick closet: "QuickClean.qvr" and its
// folders in the program folder.
void UseQuickCloset(AppState& st);

// Clean Desktop. Quick mode cleans at once into "QuickClean.qvr" in the program
// folder; advanced mode asks for a key file and leaves the dialog to the window.
CommandOutcome OnCleanClicked(Context& ctx);
// Restore Desktop. Quick mode restores the quick closet at once; advanced mode
// asks for a key file (password and all) or applies a position file.
CommandOutcome OnRestoreClicked(Context& ctx);

struct FavoriteItem {
    std::string caption;
    bool enabled = false;
};
// The captions and states of the four favourite menu items.
std::array<FavoriteItem, 4> FavoriteMenuItems(const Settings& settings);

// What the Exit button does with the settings as they are now.
enum class ExitAction { EndProgram, Hide, AddTrayIconAndHide };
ExitAction ExitButtonAction(const Settings& settings, bool trayIconShown);

// What a mouse message on the notification-area icon does.
enum class TrayAction { None, ShowWindow, PopupMenu };
TrayAction TrayIconAction(bool windowVisible, unsigned mouseMessage);

// Twips (1440 to the inch) to pixels at `dpi`, to the nearest pixel.
int TwipsToPixels(int twips, int dpi);

} // namespace stowly
