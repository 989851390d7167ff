#include "settings/BmpFile.h"

#include <cstdint>

namespace stowly {

namespace {

void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

} // namespace

std::string BmpFileBytes(const PixelImage& image) {
    constexpr uint32_t kHeaders = 14 + 40;
    const auto width = static_cast<uint32_t>(image.width), height = static_cast<uint32_t>(image.height);
    const uint32_t stride = (width * 3 + 3) & ~3u;
    const uint32_t pixelBytes = stride * height;

    std::string out;
    out.reserve(kHeaders + pixelBytes);
    out += "BM";
    Put32(out, kHeaders + pixelBytes);
    Put32(out, 0); // reserved
    Put32(out, kHeaders);
    Put32(out, 40); // BITMAPINFOHEADER
    Put32(out, width);
    Put32(out, height); // positive: rows bottom-up
    Put16(out, 1);      // planes
    Put16(out, 24);     // bits per pixel
    Put32(out, 0);      // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, 2835); // 72 dots per inch, in pixels per metre
    Put32(out, 2835);
    Put32(out, 0); // colours used
    Put32(out, 0); // important colours

    for (uint32_t row = height; row-- > 0;) {
        const char* src = image.bgra.data() + static_cast<size_t>(row) * width * 4;
        for (uint32_t x = 0; x < width; ++x, src += 4) out.append(src, 3);
        out.append(stride - width * 3, '\0');
    }
    return out;
}

} // namespace stowly
