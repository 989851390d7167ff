#include "platform/win32/Win32Platform.h"

namespace stowly {

std::string Win32Platform::GetWallpaper() { return {}; }
bool Win32Platform::SetWallpaper(const std::string&) { return false; }

} // namespace stowly
