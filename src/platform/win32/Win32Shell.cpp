#include "platform/win32/Win32Platform.h"

namespace stowly {

int Win32Platform::MoveItem(const std::string&, const std::string&) { return 1; }

} // namespace stowly
