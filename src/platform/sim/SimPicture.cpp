// Pictures of the simulated machine, decoded by stb_image (BMP, JPEG, GIF, PNG).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS (1 << 16)
#include <stb/stb_image.h>

#include <memory>

#include "platform/sim/SimPlatform.h"

namespace stowly {

std::optional<PixelImage> SimPlatform::DecodePicture(const std::string& path, int* error) {
    auto bytes = ReadFile(path, error);
    if (!bytes) return std::nullopt;
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
        bytes->size() > 0x7FFFFFFF ? nullptr
                                   : stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes->data()),
                                                           static_cast<int>(bytes->size()), &w, &h, &channels, 4),
        stbi_image_free);
    if (!rgba) {
        if (error) *error = kInvalidPicture;
        return std::nullopt;
    }
    PixelImage image{w, h, std::string(reinterpret_cast<const char*>(rgba.get()), static_cast<size_t>(w) * h * 4)};
    for (size_t i = 0; i < image.bgra.size(); i += 4) std::swap(image.bgra[i], image.bgra[i + 2]);
    return image;
}

} // namespace stowly
