#include "icons/DesktopIcons.h"

namespace stowly {

int16_t CountDesktopIcons(Context&) { return 0; }
void EnumDesktopIcons(Context&, std::string*) {}
void RestoreLocations(Context&, const std::string&) {}

} // namespace stowly
