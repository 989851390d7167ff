#pragma once
// The Windows bitmap file that a converted wallpaper becomes.
#include <string>

#include "platform/Platform.h"

namespace stowly {

// The bytes of a 24-bit BMP file of `image` (rows bottom-up, each padded to four
// bytes). Alpha is dropped: a wallpaper has nothing behind it to show through.
std::string BmpFileBytes(const PixelImage& image);

} // namespace stowly
