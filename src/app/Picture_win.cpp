#include "app/Picture_win.h"

#include <wincodec.h>

namespace stowly {

namespace {

// Resources baseId, +1, +2 hold the renders for these dots per inch.
constexpr UINT kRenderDpi[] = {96, 144, 192};

int RenderFor(UINT dpi) {
    for (int i = 0; i < 3; ++i)
        if (kRenderDpi[i] >= dpi) return i;
    return 2;
}

ComPtr<IWICBitmapSource> Decode(IWICImagingFactory* wic, HINSTANCE instance, int id) {
    ComPtr<IWICBitmapSource> result;
    HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL mem = res ? LoadResource(instance, res) : nullptr;
    const void* bytes = mem ? LockResource(mem) : nullptr;
    if (!bytes) return result;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(wic->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)),
                                            SizeofResource(instance, res))) ||
        FAILED(wic->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())))
        return result;
    WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.get(), result.put());
    return result;
}

} // namespace

bool Picture::Load(HINSTANCE instance, int baseId, UINT dpi, int width, int height) {
    bitmap_.reset();
    ComPtr<IWICImagingFactory> wic;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                wic.put_void())))
        return false;
    ComPtr<IWICBitmapSource> source = Decode(wic.get(), instance, baseId + RenderFor(dpi));
    if (!source) return false;
    UINT w = 0, h = 0;
    source->GetSize(&w, &h);
    if (static_cast<int>(w) != width || static_cast<int>(h) != height) {
        ComPtr<IWICBitmapScaler> scaler;
        if (FAILED(wic->CreateBitmapScaler(scaler.put())) ||
            FAILED(scaler->Initialize(source.get(), width, height, WICBitmapInterpolationModeFant)))
            return false;
        ComPtr<IWICBitmapSource> scaled;
        scaler->QueryInterface(IID_IWICBitmapSource, scaled.put_void());
        source = std::move(scaled);
        if (!source) return false;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height; // top-down, as WIC delivers rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || FAILED(source->CopyPixels(nullptr, width * 4, static_cast<UINT>(width * height * 4),
                                          static_cast<BYTE*>(bits))))
        return false;
    bitmap_ = std::move(dib);
    width_ = width;
    height_ = height;
    return true;
}

void Picture::Draw(HDC dc, int x, int y, BYTE alpha) const {
    if (!bitmap_) return;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap_.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, width_, height_, mem, 0, 0, width_, height_, blend);
    SelectObject(mem, old);
    DeleteDC(mem);
}

} // namespace stowly
