#pragma once
// Every operation of the operating system that Stowly uses, behind one narrow
// interface. Win32Platform (src/platform/win32) is the real thing; SimPlatform
// (src/platform/sim) is a sandbox folder with two desktop folders, an
// in-memory desktop list view, a wallpaper setting and a registry-like store.
//
// Strings are UTF-8. Paths are full Windows paths with backslashes ("C:\...").

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace stowly {

// The Windows error numbers that platform operations give back and callers look at.
namespace winerr {
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int NotSameDevice = 17; // a rename cannot cross volumes
constexpr int InvalidData = 13; // a copy that is not what its source is, or a source changed under a move
constexpr int NotSupported = 50; // a cloud file that would have to be copied out of its sync root
constexpr int Sharing = 32; // held open by another program
constexpr int DiskFull = 112;
constexpr int AlreadyExists = 183;
} // namespace winerr

struct OsVersionInfo {
    bool ok = true;          // false when the version could not be asked for
    uint32_t platformId = 2; // 1: Windows 95 family, 2: NT family
    uint32_t major = 10;
    uint32_t minor = 0;
    uint32_t build = 19045; // tells Windows 11 (22000 on) from Windows 10
};

struct ScreenInfo {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// A rectangle in screen pixels: left and top inside, right and bottom outside.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// One monitor of the desktop: its whole area and its work area (without the
// taskbar) in screen pixels, its DPI, and whether it is the main one (its
// top-left corner is the screen's origin).
struct MonitorInfo {
    PixelRect area;
    PixelRect work;
    int dpi = 96;
    bool primary = false;
};

struct FileAttributes {
    bool exists = false;
    bool isFolder = false;
    bool hidden = false;
    bool system = false;
    bool readOnly = false;
    bool isLink = false; // a symbolic link or junction: never followed by the moves
    // A cloud file or folder of a sync client (a placeholder, its data possibly
    // online only): it may move by rename within its sync root, never by copy.
    bool cloudFile = false;
    uint64_t size = 0;   // of a plain file
    int64_t lastWrite = 0; // of a plain file (or a link to one): its last change, for comparing only
};

struct DirEntry {
    std::string name;
    bool isFolder = false;
    bool hidden = false; // set by ListAll only; List never returns hidden entries
    bool system = false;
};

enum class RegRoot : uint32_t { CurrentUser = 0x80000001u, LocalMachine = 0x80000002u };
// A registry value: nothing, a REG_SZ text or a REG_DWORD number.
using RegData = std::variant<std::monostate, std::string, int32_t>;

// Where item `index` of one read of the desktop (0-based, order as read) goes.
struct ItemPosition {
    int index = 0;
    int16_t x = 0;
    int16_t y = 0;
};

// One item of the desktop's list view, as the shell shows it.
struct DesktopItem {
    std::string name; // display name, UTF-8
    int32_t x = 0;
    int32_t y = 0;
    bool placeKnown = true; // false when the item's position could not be read
    // The shell's parsing name of the item within the desktop (its file name, or a
    // virtual item's class id), which tells apart items that show one label; "" where
    // the view gives labels only (list-view messages).
    std::string parsingName;
};

// A decoded picture: width x height pixels, rows from the top, 4 bytes a pixel in
// the order blue, green, red, alpha.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::string bgra;
};

// How a placing of desktop icons went: which road it took, what was asked, how
// many icons the view took a position for, and where the asked items are after it.
// The shell of Windows 10 1809 and later keeps only positions set through its own
// folder view: positions sent to its list view as messages are shown, then
// forgotten at its next refresh.
struct PlacingResult {
    enum class Road { NotReached, ShellView, ListView, ListViewNotKept } road = Road::NotReached;
    int placed = 0;
    std::vector<ItemPosition> asked;
    // One per asked position, read back through the same opening of the view after
    // placing: the item's place; placeKnown false when it could not be read.
    std::vector<DesktopItem> after;
};

// Chooses where items go from the desktop's items as one opening of the view reads
// them (names and parsing names; no places): indexes into that list.
using PlacingPlan = std::function<std::vector<ItemPosition>(const std::vector<DesktopItem>& items)>;

// The wallpaper as the system keeps it for each monitor, and its slideshow.
struct MonitorWallpapers {
    struct Monitor {
        std::string id;      // the system's device path of the monitor
        std::string picture; // the picture it shows; "" for none (a solid colour)
        bool operator==(const Monitor&) const = default;
    };
    std::vector<Monitor> monitors;
    // How pictures fit their monitor: 0 centre, 1 tile, 2 stretch, 3 fit, 4 fill,
    // 5 span (the system's DESKTOP_WALLPAPER_POSITION).
    int position = 4;
    bool slideshow = false; // a slideshow runs; then the three below say which
    // A folder alone, or pictures of one folder; "" for an item that is no file.
    std::vector<std::string> slideshowItems;
    unsigned slideshowIntervalMs = 0;
    bool shuffle = false;
    bool operator==(const MonitorWallpapers&) const = default;
};

struct HttpResult {
    int status = 0; // HTTP status; 0 when no answer came (refused, timed out, bad address)
    std::string body;
};

class Platform {
public:
    virtual ~Platform() = default;

    // --- Process and machine -------------------------------------------------
    // Claims the program's single-instance token; false when another copy holds it.
    virtual bool ClaimSingleInstance() = 0;
    // The operation lock, held by any copy of the program while it cleans, restores
    // or finishes a stopped run (core/OperationLock.h). Claim: false when it is held
    // already, by another copy or this one. Held: whether any copy holds it now.
    virtual bool ClaimOperationLock() = 0;
    virtual void ReleaseOperationLock() = 0;
    virtual bool OperationLockHeld() = 0;
    virtual OsVersionInfo OsVersion() = 0;
    virtual std::string ExecutablePath() = 0;
    // CSIDL 16 (user desktop) or 25 (common desktop); "" when the shell cannot name it.
    // No trailing backslash.
    virtual std::string SpecialFolder(int csidl) = 0;
    virtual ScreenInfo Screen() = 0;
    // Every monitor of the desktop now; at least one.
    virtual std::vector<MonitorInfo> Monitors() = 0;
    // The temporary folder, ending with a backslash.
    virtual std::string TempFolder() = 0;
    virtual uint64_t TickCountMs() = 0;
    virtual void SleepMs(unsigned ms) = 0;
    // Starts a program from a command line in a normal window; false when it could not start.
    virtual bool StartProgram(const std::string& commandLine) = 0;
    // Opens an address the system's own way (the default browser); false on failure.
    virtual bool OpenUrl(const std::string& url) = 0;
    // The Windows folder ("C:\WINDOWS"), without a trailing backslash.
    virtual std::string WindowsFolder() = 0;

    // --- Text of files: the system's ANSI code page ----------------------------
    // nullopt when some character has no place in the code page.
    virtual std::optional<std::string> Utf8ToAnsi(const std::string& utf8) = 0;
    virtual std::string AnsiToUtf8(const std::string& ansi) = 0;

    // --- Files -------------------------------------------------------------------
    // Lists like a directory search: "folder\" gives the folder's entries, a name
    // with * or ? the matching entries, any other path the entry itself. Hidden and
    // system entries, "." and ".." are never returned; folders only when asked for.
    // A path that cannot be listed gives an empty list.
    virtual std::vector<DirEntry> List(const std::string& pathOrPattern, bool includeFolders) = 0;
    // Every entry of a folder, hidden and system ones too, with those attributes set;
    // "." and ".." are never returned. A folder that cannot be listed gives an empty
    // list, with *error (when asked for) set to the Windows error: FileNotFound or
    // PathNotFound when there is no such folder. *error is 0 when the folder was listed.
    virtual std::vector<DirEntry> ListAll(const std::string& folder, int* error = nullptr) = 0;
    virtual FileAttributes Attributes(const std::string& path) = 0;
    // The whole file; nullopt with *error set (53 not found, 75 access, 76 path) on failure.
    virtual std::optional<std::string> ReadFile(const std::string& path, int* error = nullptr) = 0;
    // Replaces the whole file so that it is never left half-written. 0 or an error number.
    virtual int WriteFile(const std::string& path, const std::string& bytes) = 0;
    // Copies byte for byte, replacing the target, keeping the file's attributes and the
    // time of its last change. 0 or an error number.
    // (Named so as not to meet the CopyFile and DeleteFile macros of <windows.h>.)
    virtual int CopyOneFile(const std::string& from, const std::string& to) = 0;
    // Deletes a plain file (a read-only one too) or a link to a file; deleting what
    // is already gone succeeds. 0 or an error number.
    virtual int RemoveFile(const std::string& path) = 0;
    // Deletes an empty folder or a link to a folder (never what it points to);
    // deleting what is already gone succeeds. 0 or an error number.
    virtual int RemoveFolder(const std::string& path) = 0;
    // Makes `to` a link to where the link `from` points, as a copy of the link itself.
    // 0 or an error number.
    virtual int CopyLink(const std::string& from, const std::string& to) = 0;
    // Writes what the system still holds in memory of a file (its data) or of a folder
    // (its entries) to the disk itself. 0 or an error number; a file system that
    // cannot flush a folder on its own is not an error.
    virtual int FlushItem(const std::string& path) = 0;
    // Sets the hidden, system and read-only attributes of a file or folder to those
    // of `attributes`. 0 or an error number.
    virtual int SetAttributes(const std::string& path, const FileAttributes& attributes) = 0;
    // Tells the shell that a folder's entries changed, so that its windows (the
    // desktop among them) show them now; returns once the shell has the news.
    virtual void NotifyFolderChanged(const std::string& folder) = 0;
    // The root of the cloud sync folder (a sync client's) that holds `path`, without
    // a trailing backslash; "" when no sync client keeps it.
    virtual std::string SyncRootOf(const std::string& path) = 0;
    // Creates one folder; false when it exists already or cannot be created.
    virtual bool CreateFolder(const std::string& path) = 0;
    // Renames one file or folder tree to the full destination path `to` on the same
    // volume; `to` must not exist (nothing is ever replaced). 0 when the item arrived
    // and left its source, otherwise a Windows error number: NotSameDevice, with
    // nothing changed, when `to` lies on another volume (closet/ShellOps.h moves
    // such an item by copying). With `writeThrough` the call returns only once the
    // rename is on the disk itself.
    virtual int MoveItem(const std::string& from, const std::string& to, bool writeThrough = false) = 0;

    // Decodes a picture file (at least BMP, JPEG and GIF; the first frame of an
    // animation). nullopt with *error set on failure: 53, 75 or 76 as ReadFile gives
    // them, kInvalidPicture when the bytes are no picture the decoder knows.
    static constexpr int kInvalidPicture = 481;
    virtual std::optional<PixelImage> DecodePicture(const std::string& path, int* error = nullptr) = 0;

    // --- Registry ------------------------------------------------------------------
    // Windows error codes: 0 success, 2 missing key or value; -1 for an unhandled type.
    virtual int RegRead(RegRoot root, const std::string& key, const std::string& name, RegData& out) = 0;
    // Writes a REG_SZ (string) or REG_DWORD (int32) value. With createKey false the key
    // must exist already.
    virtual int RegWrite(RegRoot root, const std::string& key, const std::string& name,
                         const RegData& value, bool createKey) = 0;
    virtual int RegDelete(RegRoot root, const std::string& key, const std::string& name) = 0;

    // --- Wallpaper -----------------------------------------------------------------
    virtual std::string GetWallpaper() = 0;
    // Shows the picture as wallpaper and stores it in the user's profile; "" removes it.
    virtual bool SetWallpaper(const std::string& path) = 0;

    // --- The wallpaper of each monitor, and the slideshow (Windows 8 and later) -----
    // nullopt, or false, where the system has no such interface (Windows 7, Wine):
    // GetWallpaper and SetWallpaper above are then the whole story.
    virtual std::optional<MonitorWallpapers> ReadMonitorWallpapers() = 0;
    // Shows each monitor's picture, or runs the slideshow, and sets the position.
    // A recorded monitor that is not attached now is skipped. False when the system
    // refused any step.
    virtual bool SetMonitorWallpapers(const MonitorWallpapers& wallpapers) = 0;

    // --- The desktop's icon list view (in the shell's process) ---------------------
    // Whether the desktop's list view can be found at all.
    virtual bool DesktopViewFound() = 0;
    // Number of items; nullopt when the view or its process cannot be reached.
    virtual std::optional<long> DesktopItemCount() = 0;
    // Every item in the view's own order; nullopt when the view cannot be reached.
    // Names are at most 79 bytes in the ANSI code page, as the list view gives them.
    virtual std::optional<std::vector<DesktopItem>> ReadDesktopItems() = 0;
    // The same items' places alone (names empty; on the list view's road for half
    // the cost of a whole read): enough to see whether anything moved.
    virtual std::optional<std::vector<DesktopItem>> ReadDesktopItemPlaces() = 0;
    // Whether the desktop arranges its icons itself ("Auto arrange icons"): positions
    // set are then ignored. False when the view cannot be reached.
    virtual bool DesktopArranges() = 0;
    // Turns the desktop's own arranging off; false when it could not be.
    virtual bool StopDesktopArranging() = 0;
    // Opens the view once for a whole placing: reads its items, asks `plan` where
    // they go, places them through the items that read found (an item that left
    // meanwhile is skipped, never another put in its place) and reads them back.
    // A view that stops answering is given up on (Road::NotReached).
    virtual PlacingResult PlaceDesktopItems(const PlacingPlan& plan) = 0;
    // Moves items of a fresh read, by index, to their positions.
    PlacingResult SetDesktopItemPositions(const std::vector<ItemPosition>& positions) {
        return PlaceDesktopItems([&](const std::vector<DesktopItem>&) { return positions; });
    }
    // Moves item `index` (0-based, order as read) to (x, y).
    void SetDesktopItemPosition(int index, int16_t x, int16_t y) { SetDesktopItemPositions({{index, x, y}}); }

    // --- Network ---------------------------------------------------------------------
    // GET over HTTP(S), bypassing caches, with connect and total time-outs. At most
    // `maxBytes` of the body are kept; the rest is not downloaded.
    virtual HttpResult HttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs,
                               size_t maxBytes) = 0;
};

} // namespace stowly
