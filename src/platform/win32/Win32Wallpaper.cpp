#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace stowly {

namespace {

// A text the system allocated for the caller, as UTF-8; it is freed here.
std::string TakeText(LPWSTR text) {
    std::string utf8 = text ? Narrow(text) : std::string();
    CoTaskMemFree(text);
    return utf8;
}

// The shell's wallpaper object; empty where the system has none (before Windows 8,
// Wine).
ComPtr<IDesktopWallpaper> OpenDesktopWallpaper() {
    ComPtr<IDesktopWallpaper> wallpaper;
    if (FAILED(CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper,
                                wallpaper.put_void())))
        wallpaper.reset();
    return wallpaper;
}

// Whether a monitor is attached now: the system also names monitors that were
// detached with a picture still assigned, and gives those no rectangle.
bool Attached(IDesktopWallpaper* wallpaper, const std::wstring& id) {
    RECT rect{};
    return wallpaper->GetMonitorRECT(id.c_str(), &rect) == S_OK;
}

// The file-system paths of a slideshow's items; "" for an item that has none.
std::optional<std::vector<std::string>> SlideshowItems(IDesktopWallpaper* wallpaper) {
    ComPtr<IShellItemArray> items;
    DWORD count = 0;
    if (FAILED(wallpaper->GetSlideshow(items.put())) || !items || FAILED(items->GetCount(&count))) return std::nullopt;
    std::vector<std::string> paths;
    for (DWORD i = 0; i < count; ++i) {
        ComPtr<IShellItem> item;
        LPWSTR path = nullptr;
        if (FAILED(items->GetItemAt(i, item.put())) || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            CoTaskMemFree(path);
            paths.emplace_back();
        } else {
            paths.push_back(TakeText(path));
        }
    }
    return paths;
}

// A shell item array of file-system paths; empty when any path has no item.
ComPtr<IShellItemArray> ItemArray(const std::vector<std::string>& paths) {
    std::vector<PIDLIST_ABSOLUTE> lists;
    ComPtr<IShellItemArray> array;
    for (const std::string& path : paths) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(SHParseDisplayName(WidePath(path).c_str(), nullptr, &list, 0, nullptr))) break;
        lists.push_back(list);
    }
    if (!lists.empty() && lists.size() == paths.size() &&
        FAILED(SHCreateShellItemArrayFromIDLists(static_cast<UINT>(lists.size()),
                                                 const_cast<PCIDLIST_ABSOLUTE_ARRAY>(lists.data()), array.put())))
        array.reset();
    for (PIDLIST_ABSOLUTE list : lists) ILFree(list);
    return array;
}

} // namespace

std::string Win32Platform::GetWallpaper() {
    wchar_t buf[MAX_PATH] = {};
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, buf, 0)) return {};
    // A path that fills the buffer without its NUL is not a path.
    size_t n = wcsnlen(buf, MAX_PATH);
    return n == MAX_PATH ? std::string() : Narrow(std::wstring_view(buf, n));
}

bool Win32Platform::SetWallpaper(const std::string& path) {
    // Always a real (possibly empty) path: SETWALLPAPER_DEFAULT crashes Wine. Only
    // the result tells success; the last-error code may be left set by a call that
    // succeeded.
    std::wstring wide = Widen(path);
    return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wide.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

std::optional<MonitorWallpapers> Win32Platform::ReadMonitorWallpapers() {
    const ComScope com;
    const ComPtr<IDesktopWallpaper> wallpaper = OpenDesktopWallpaper();
    if (!wallpaper) return std::nullopt;
    MonitorWallpapers result;
    UINT count = 0;
    if (FAILED(wallpaper->GetMonitorDevicePathCount(&count))) return std::nullopt;
    for (UINT i = 0; i < count; ++i) {
        LPWSTR id = nullptr;
        if (FAILED(wallpaper->GetMonitorDevicePathAt(i, &id)) || !id) {
            CoTaskMemFree(id);
            return std::nullopt;
        }
        const std::wstring wideId = id;
        const std::string monitor = TakeText(id);
        if (!Attached(wallpaper.get(), wideId)) continue;
        LPWSTR picture = nullptr;
        if (FAILED(wallpaper->GetWallpaper(wideId.c_str(), &picture))) {
            CoTaskMemFree(picture);
            return std::nullopt;
        }
        result.monitors.push_back({monitor, TakeText(picture)});
    }
    DESKTOP_WALLPAPER_POSITION position = DWPOS_FILL;
    if (FAILED(wallpaper->GetPosition(&position))) return std::nullopt;
    result.position = static_cast<int>(position);
    DESKTOP_SLIDESHOW_STATE state{};
    if (SUCCEEDED(wallpaper->GetStatus(&state)) && (state & DSS_SLIDESHOW)) {
        result.slideshow = true;
        // A slideshow whose items or options cannot be read is told by having no
        // items: it cannot be put back.
        DESKTOP_SLIDESHOW_OPTIONS options{};
        UINT tick = 0;
        const auto items = SlideshowItems(wallpaper.get());
        if (items && SUCCEEDED(wallpaper->GetSlideshowOptions(&options, &tick))) {
            result.slideshowItems = *items;
            result.slideshowIntervalMs = tick;
            result.shuffle = (options & DSO_SHUFFLEIMAGES) != 0;
        }
    }
    return result;
}

bool Win32Platform::SetMonitorWallpapers(const MonitorWallpapers& wallpapers) {
    const ComScope com;
    const ComPtr<IDesktopWallpaper> wallpaper = OpenDesktopWallpaper();
    if (!wallpaper) return false;
    bool done = true;
    if (wallpapers.slideshow) {
        const ComPtr<IShellItemArray> items = ItemArray(wallpapers.slideshowItems);
        done = items && SUCCEEDED(wallpaper->SetSlideshow(items.get())) &&
               SUCCEEDED(wallpaper->SetSlideshowOptions(
                   wallpapers.shuffle ? DSO_SHUFFLEIMAGES : static_cast<DESKTOP_SLIDESHOW_OPTIONS>(0),
                   wallpapers.slideshowIntervalMs));
    } else {
        for (const auto& monitor : wallpapers.monitors) {
            const std::wstring id = Widen(monitor.id);
            if (Attached(wallpaper.get(), id))
                done = SUCCEEDED(wallpaper->SetWallpaper(id.c_str(), WidePath(monitor.picture).c_str())) && done;
        }
    }
    // Each step is tried even when the one before failed.
    return SUCCEEDED(wallpaper->SetPosition(static_cast<DESKTOP_WALLPAPER_POSITION>(wallpapers.position))) && done;
}

} // namespace stowly
