#pragma once
// The icon positions dialog apart from its window: saving the desktop's layout to
// a position file, applying one, and the four favourite position files, so that
// every decision runs (and is tested) on the simulated desktop.
#include <array>
#include <optional>
#include <string>

#include "core/AppState.h"

namespace stowly {

// One favourite: the position file's name without ".dpf" and its folder (ending
// with a backslash). The name "Blank" marks a free slot.
struct FavoriteSlot {
    std::string name;
    std::string folder;
    bool operator==(const FavoriteSlot&) const = default;
};
using FavoriteSlots = std::array<FavoriteSlot, 4>;

// The save and open dialogs of Save, Load and Browse.
FileDialogOptions PositionFileDialog(const std::string& programFolder);

// The slots as the settings hold them, for the dialog to show.
FavoriteSlots FavoritesOf(const Settings& settings);

// Save: asks for a file (and whether to overwrite one that exists), reads the
// desktop's icons and writes them with the screen size. When the icons cannot
// be read nothing is written and the user is told.
void SavePositions(Context& ctx);
// Save's work once the file is chosen: reads the icons and writes them to `path`,
// replacing any file there, and says so. Throws RuntimeError when it cannot write.
inline constexpr const char* kPositionsSaved = "Your Desktop icon positions have been saved.";
void SavePositionFile(Context& ctx, const std::string& path);

// Load: asks for a position file and applies it; the success message shows only
// when the file was applied.
void LoadPositions(Context& ctx);

// Browse for a slot: the slot the chosen file makes, or nullopt when the
// slot stays as it is (cancelled, or a name too short to carry ".dpf").
std::optional<FavoriteSlot> BrowseFavorite(Context& ctx);

// Done: the slots go into the settings record and the settings file.
void StoreFavorites(Context& ctx, const FavoriteSlots& slots);

// Applies the position file at `path` with the hourglass up. `restored` is said
// after success; a desktop that cannot be reached is said too (RestoreLocations
// reports its other failures itself).
void ApplyPositionFile(Context& ctx, const std::string& path,
                       const char* restored = "Your Icons have been restored.");

// LoadFav: applies favourite `index` (0 to 3) when its file exists.
void LoadFav(Context& ctx, int index);

} // namespace stowly
