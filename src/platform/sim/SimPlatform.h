#pragma once
// A simulated Windows for tests and the demo: a sandbox folder on the host that
// holds drive C:, two desktop folders, an in-memory desktop list view that shows
// their items like Explorer does, a wallpaper setting and a registry-like store.
//
// Windows paths map into the sandbox: "C:\Users\Sim\Desktop\a.txt" is
// <root>/C/Users/Sim/Desktop/a.txt. Names compare without regard to case, as on
// Windows. A name starting with "." counts as hidden. ".." climbs one name; a path
// that would climb out of its drive throws SandboxEscape, so that a faulty test
// fails before it can touch the host's own files.

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_map>

#include "platform/Platform.h"

namespace stowly {

// Thrown by the simulated platform when a path would leave its sandbox.
struct SandboxEscape : std::logic_error {
    using std::logic_error::logic_error;
};

class SimPlatform : public Platform {
public:
    // Creates the sandbox layout under `root` (the folders are made when missing).
    explicit SimPlatform(std::filesystem::path root);

    // --- What the simulated machine looks like; tests change these freely ---------
    std::string executablePath = "C:\\Program Files\\Stowly\\stowly.exe";
    std::string userDesktop = "C:\\Users\\Sim\\Desktop";
    std::string commonDesktop = "C:\\Users\\Public\\Desktop";
    OsVersionInfo version;
    ScreenInfo screen{1024, 768, 32};
    // The monitors; none: one main monitor of the screen's size, its work area all of it.
    std::vector<MonitorInfo> monitors;
    bool anotherCopyRunning = false;
    bool anotherCopyOperating = false; // another copy holds the operation lock
    bool operationLockHeld = false;    // this copy holds it
    std::string wallpaper;
    std::string windowsFolder = "C:\\Windows";
    // Every command line StartProgram was given, in order; programsStart false makes
    // each start fail.
    std::vector<std::string> startedPrograms;
    bool programsStart = true;

    // --- Fault injection ------------------------------------------------------------
    struct Faults {
        int failMoveNumber = 0;           // the Nth MoveItem from now (1-based) fails with 5
        std::set<std::string> locked;     // paths (any case) that cannot be moved, written or deleted: 32
        // Files open in another program that lets others read them only (any case):
        // they read and copy, but neither they nor a folder holding them can be
        // moved or renamed, and they cannot be deleted: 32.
        std::set<std::string> inUse;
        // Folders (any case) that cannot be listed: ListAll and List fail with 5
        // (a network folder gone offline, a folder whose listing is refused).
        std::set<std::string> unlistable;
        bool diskFull = false;            // WriteFile and CopyFile fail with 112
        // The program is stopped as if killed at the Nth call from now that would
        // change the disk: that call and every later one throws Stopped before doing
        // anything. 0: never.
        int stopAtChange = 0;
        // Failures that pass: the next `times` calls of `call` ("MoveItem",
        // "RemoveFile", "RemoveFolder", "CopyOneFile" or "RegWrite") on a path (for
        // MoveItem and CopyOneFile the source; for RegWrite key\name) that ends with
        // `pathEnd`, any case, fail with `error`.
        struct Passing {
            std::string call, pathEnd;
            int times = 1;
            int error = winerr::AccessDenied;
        };
        std::vector<Passing> passing;
    } faults;
    struct Stopped {};
    int movesDone = 0; // MoveItem calls so far
    // Every call that changed the disk, in order: the call's name and its path (for
    // MoveItem both, and " write-through" when asked), so that tests can check the
    // order of a move's steps.
    std::vector<std::string> changeLog;
    // Called with each such call's log line before the call runs: a test's way of
    // changing the disk the way another program would, in the middle of a move.
    std::function<void(const std::string& what)> beforeChange;

    // --- Cloud sync: folders a sync client keeps, and its cloud files -------------------
    std::set<std::string> syncRoots; // Windows paths, any case
    // Cloud files and folders (any case): they keep the mark when renamed, a copy of
    // one is a plain file.
    std::set<std::string> cloudFiles;
    std::vector<std::string> notifiedFolders; // NotifyFolderChanged calls, in order

    // --- Registry store: keys and values, names compared without regard to case ----
    void RegCreateKeyForTest(RegRoot root, const std::string& key);

    // --- Desktop list view ------------------------------------------------------------
    bool desktopRunning = true;                       // false: no list view to be found
    std::vector<std::string> virtualItems{"Recycle Bin"}; // items that are no file
    // The desktop arranges its icons itself ("Auto arrange icons"): positions set
    // are ignored, as a list view with LVS_AUTOARRANGE ignores them.
    bool arranging = false;
    // The road positions take: ListViewNotKept plays the shell of Windows 10 1809 and
    // later without its folder view (positions shown, then forgotten).
    PlacingResult::Road placingRoad = PlacingResult::Road::ListView;
    std::set<std::string> placeUnreadable; // names of icons whose position cannot be read
    // Files show without their extension, as with "hide extensions for known file
    // types" on: "Report.docx" and "Report.pdf" both show "Report".
    bool hideExtensions = false;
    // Called in a placing between its read of the items and the placing itself: a
    // test's way of adding or removing items while the view is open.
    std::function<void()> betweenReadAndPlace;
    // Polls of DesktopItemCount before newly arrived files show up as items (0: at once).
    int itemShowDelay = 0;
    // Newly arrived files show up one at a time, this many polls apart (0: all at once).
    int pollsBetweenItems = 0;
    struct Icon {
        std::string name;   // display name (at most 79 bytes in the code page)
        std::string source; // full path of the file it shows; "" for a virtual item
        int32_t x = 0;
        int32_t y = 0;
        int pollsUntilShown = 0;
    };
    // Brings the list view up to date with the two desktop folders and returns it.
    const std::vector<Icon>& Icons();
    // Every position set, for tests: index, x, y; and how many calls set them.
    struct PositionCall { int index; int16_t x, y; };
    std::vector<PositionCall> positionCalls;
    int positionBatches = 0;

    // --- The wallpaper of each monitor, and the slideshow ------------------------------
    // Off, the system has no such interface (Windows 7, Wine) and `wallpaper` alone
    // is the wallpaper. On, SetWallpaper shows its picture on every monitor and stops
    // a slideshow, and SetMonitorWallpapers shows the first monitor's picture as
    // `wallpaper`.
    bool monitorWallpaperInterface = false;
    MonitorWallpapers monitorWallpapers;

    // --- Network: replaced by tests; by default the host's real HTTP client ----------
    std::function<HttpResult(const std::string& url, unsigned connectMs, unsigned totalMs)> http;
    std::vector<std::string> openedUrls;   // OpenUrl calls

    // The host path behind a Windows path, resolving each name without regard to case.
    std::filesystem::path HostPath(const std::string& windowsPath) const;
    const std::filesystem::path& Root() const { return root_; }

    // --- Platform ---------------------------------------------------------------------
    bool ClaimSingleInstance() override;
    bool ClaimOperationLock() override;
    void ReleaseOperationLock() override;
    bool OperationLockHeld() override;
    OsVersionInfo OsVersion() override;
    std::string ExecutablePath() override;
    std::string SpecialFolder(int csidl) override;
    ScreenInfo Screen() override;
    std::vector<MonitorInfo> Monitors() override;
    std::string TempFolder() override;
    uint64_t TickCountMs() override;
    void SleepMs(unsigned ms) override;
    bool StartProgram(const std::string& commandLine) override;
    bool OpenUrl(const std::string& url) override;
    std::string WindowsFolder() override;
    // BMP, JPEG and GIF through a small decoder of its own.
    std::optional<PixelImage> DecodePicture(const std::string& path, int* error) override;
    std::optional<std::string> Utf8ToAnsi(const std::string& utf8) override;
    std::string AnsiToUtf8(const std::string& ansi) override;
    std::vector<DirEntry> List(const std::string& pathOrPattern, bool includeFolders) override;
    std::vector<DirEntry> ListAll(const std::string& folder, int* error = nullptr) override;
    FileAttributes Attributes(const std::string& path) override;
    std::optional<std::string> ReadFile(const std::string& path, int* error) override;
    int WriteFile(const std::string& path, const std::string& bytes) override;
    int CopyOneFile(const std::string& from, const std::string& to) override;
    int RemoveFile(const std::string& path) override;
    int RemoveFolder(const std::string& path) override;
    int CopyLink(const std::string& from, const std::string& to) override;
    std::string SyncRootOf(const std::string& path) override;
    void NotifyFolderChanged(const std::string& folder) override;
    bool CreateFolder(const std::string& path) override;
    int FlushItem(const std::string& path) override;
    int SetAttributes(const std::string& path, const FileAttributes& attributes) override;
    int MoveItem(const std::string& from, const std::string& to, bool writeThrough = false) override;
    int RegRead(RegRoot root, const std::string& key, const std::string& name, RegData& out) override;
    int RegWrite(RegRoot root, const std::string& key, const std::string& name, const RegData& value,
                 bool createKey) override;
    int RegDelete(RegRoot root, const std::string& key, const std::string& name) override;
    std::string GetWallpaper() override;
    bool SetWallpaper(const std::string& path) override;
    std::optional<MonitorWallpapers> ReadMonitorWallpapers() override;
    bool SetMonitorWallpapers(const MonitorWallpapers& wallpapers) override;
    bool DesktopViewFound() override;
    std::optional<long> DesktopItemCount() override;
    std::optional<std::vector<DesktopItem>> ReadDesktopItems() override;
    std::optional<std::vector<DesktopItem>> ReadDesktopItemPlaces() override;
    bool DesktopArranges() override;
    bool StopDesktopArranging() override;
    PlacingResult PlaceDesktopItems(const PlacingPlan& plan) override;
    HttpResult HttpGet(const std::string& url, unsigned connectTimeoutMs, unsigned totalTimeoutMs,
                       size_t maxBytes) override;

private:
    bool IsLocked(const std::string& path) const;
    int PassingFault(const char* call, const std::string& path);
    // Counts a call that changes the disk and logs it; throws Stopped when the program
    // is to stop.
    void Change(const std::string& what);
    bool InUse(const std::string& path) const; // the path, or one under it when it is a folder
    // The entry of host folder `folder` called `name` in any case; empty when none.
    std::filesystem::path FindNoCase(const std::filesystem::path& folder, const std::string& name) const;
    // Brings the index of the folder that holds `hostPath` up to date after a change
    // made here: the entry is now there, or gone.
    void Note(const std::filesystem::path& hostPath) const;
    void SyncIcons(bool countingPoll);

    std::filesystem::path root_;
    std::map<std::string, std::map<std::string, RegData>> registry_; // "ROOT\KEY" upper -> NAME upper -> value
    std::vector<Icon> icons_;
    // Upper-cased names of a folder's entries, kept while the folder's time stamp
    // stands, so that looking up a missing name does not read the whole folder.
    struct FolderIndex {
        std::filesystem::file_time_type stamp;
        std::unordered_map<std::string, std::filesystem::path> byUpper;
    };
    mutable std::unordered_map<std::string, FolderIndex> folderIndex_;
    std::vector<DesktopItem> ShownItems(bool places);
    std::vector<size_t> shown_; // list index -> place in icons_, as of the last sync
    uint64_t clock_ = 0;
};

} // namespace stowly
