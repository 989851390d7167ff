// Pictures decoded with the Windows Imaging Component, the system's own codecs.
#include <windows.h>

#include <wincodec.h>

#include "platform/win32/Handle.h"
#include "platform/win32/Win32Platform.h"

namespace stowly {

namespace {

// Far beyond any wallpaper; keeps a forged header from asking for gigabytes.
constexpr UINT kMaxPixels = 256u * 1024 * 1024 / 4;

} // namespace

std::optional<PixelImage> Win32Platform::DecodePicture(const std::string& path, int* error) {
    auto bytes = ReadFile(path, error);
    if (!bytes) return std::nullopt;
    const auto invalid = [error]() -> std::optional<PixelImage> {
        if (error) *error = kInvalidPicture;
        return std::nullopt;
    };
    if (bytes->empty()) return invalid();

    ComScope com; // WIC needs COM on this thread
    ComPtr<IWICImagingFactory> wic;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> pixels;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                wic.put_void())) ||
        FAILED(wic->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(bytes->data()),
                                            static_cast<DWORD>(bytes->size()))) ||
        FAILED(wic->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) ||
        FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), pixels.put())))
        return invalid();
    UINT w = 0, h = 0;
    if (FAILED(pixels->GetSize(&w, &h)) || w == 0 || h == 0 || w > kMaxPixels / h) return invalid();
    PixelImage image;
    image.width = static_cast<int>(w);
    image.height = static_cast<int>(h);
    image.bgra.resize(static_cast<size_t>(w) * h * 4);
    if (FAILED(pixels->CopyPixels(nullptr, w * 4, static_cast<UINT>(image.bgra.size()),
                                  reinterpret_cast<BYTE*>(image.bgra.data()))))
        return invalid();
    return image;
}

} // namespace stowly
