#include "platform/win32/Win32Platform.h"

namespace stowly {

bool Win32Platform::DesktopViewFound() { return false; }
std::optional<long> Win32Platform::DesktopItemCount() { return std::nullopt; }
std::optional<std::vector<DesktopItem>> Win32Platform::ReadDesktopItems() { return std::nullopt; }
void Win32Platform::SetDesktopItemPosition(int, int16_t, int16_t) {}

} // namespace stowly
