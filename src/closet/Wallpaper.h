#pragma once
// The wallpaper swap of a clean and a restore: the picture in effect with its
// style, and setting a picture with a style; what the system keeps beyond one
// picture (a picture for each monitor, a slideshow), recorded beside the key file.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace stowly {

struct WallpaperSetting {
    std::string path;  // "" when there is no wallpaper
    // The "WallpaperStyle" registry text, a blank and the "TileWallpaper" one, as
    // stored ("10 0" for Fill, "0 1" for Tile); the first alone when the second is
    // missing, "" when the first is.
    std::string style;
};

// The wallpaper in effect, as the system reports it now.
WallpaperSetting ReadCurrentWallpaper(Platform& os);
// Writes the style's registry values (tiled for style 1), then shows the picture
// at `path` as wallpaper. True when the system accepted the wallpaper.
bool SetWallpaper(Platform& os, const std::string& path, int16_t style);
// Puts back a wallpaper with the style line a key file recorded: two numbers
// ("10 0") are written back exactly as WallpaperStyle and TileWallpaper; a line
// of the older form goes by its leading number as SetWallpaper takes it. Throws
// RuntimeError (overflow) for a leading number past 16 bits.
bool SetRecordedWallpaper(Platform& os, const std::string& path, const std::string& styleLine);

// Whether a picture is the shell's own copy of the wallpaper
// ("...\Microsoft\Windows\Themes\TranscodedWallpaper"), which the shell rewrites
// whenever the wallpaper changes.
bool IsShellWallpaperCopy(const std::string& path);
// Where a restore puts the user's picture when it was the shell's copy: a copy of
// the backup named "StowlyWallpaper" in the backup's folder, with the picture's
// extension, ".jpg" when it has none.
std::string WallpaperCopyPath(const std::string& backup, const std::string& picture);

// What a clean keeps of the wallpaper when the key file's one picture does not say
// it all, in "<key file>.wallpaper".
struct WallpaperRecord {
    // The background is no picture file that could be put back (Windows Spotlight,
    // a solid colour): the clean does not swap it, and the restore leaves it be.
    bool leftAlone = false;
    MonitorWallpapers wallpapers; // what the restore puts back, unless left alone
    bool operator==(const WallpaperRecord&) const = default;
};
// nullopt when the key file's one picture is all there is: the same picture on
// every monitor, no slideshow.
std::optional<WallpaperRecord> RecordOf(const MonitorWallpapers& wallpapers);
// The record's text: a first line "Stowly wallpaper 1", then one line a fact, its
// fields parted by tabs ("position", "monitor" with the monitor and its picture,
// "slideshow" with the interval in milliseconds and "shuffle" or "in order",
// "item" with one slideshow item, or "left alone" alone), and a last line "end".
std::string WallpaperRecordText(const WallpaperRecord& record);
// nullopt for a text that is not a whole record.
std::optional<WallpaperRecord> ParseWallpaperRecord(const std::string& text);
std::string WallpaperRecordPath(const std::string& keyFile);
// At the clean, before anything moves: records what the system shows beside the
// key file, or removes an older record when there is nothing to add to the key
// file (or the system cannot tell, or the record cannot be written).
void RecordWallpaper(Platform& os, const std::string& keyFile);
// The record beside the key file; nullopt when there is none or it is damaged.
std::optional<WallpaperRecord> ReadWallpaperRecord(Platform& os, const std::string& keyFile);
void ForgetWallpaperRecord(Platform& os, const std::string& keyFile);

} // namespace stowly
