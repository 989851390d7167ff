#include <cwchar>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace stowly {

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

} // namespace stowly
