#pragma once
// The real Windows behind the Platform interface. Wide APIs inside, UTF-8 outside.
// The implementation is split by concern:
//   Win32Platform.cpp   process, machine, files, registry, text encoding, programs
//   Win32Desktop.cpp    the desktop's icons in the shell's process (FolderViewOpening,
//                       list-view messages), off the caller's thread (ShellCall)
//   Win32Shell.cpp      moves of desktop items
//   Win32Sync.cpp       the shell told of changed folders; cloud sync folders
//   Win32Wallpaper.cpp  the wallpaper, and each monitor's through IDesktopWallpaper
//   Win32Net.cpp        HTTP and opening addresses
//   Win32Picture.cpp    decoding pictures with the system's codecs

#include "platform/Platform.h"

namespace stowly {

class Win32Platform : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

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
    std::optional<PixelImage> DecodePicture(const std::string& path, int* error) override;
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
    std::optional<std::vector<DesktopItem>> ReadItems(bool names);
    void* instanceMutex_ = nullptr;  // HANDLE of the single-instance mutex
    void* operationMutex_ = nullptr; // HANDLE of the operation lock while this copy holds it
};

} // namespace stowly
