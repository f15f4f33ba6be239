// PNG, JPEG and TIFF through the Windows Imaging Component, part of every Windows since XP SP3
// and Vista, so the static programs need no DLL beside them.
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "rowreader/image_decode.h"

namespace trevalune::rowreader::detail {

namespace {

using Microsoft::WRL::ComPtr;

/// COM for the length of one decoding. A thread that has COM already (in either apartment)
/// keeps it as it was.
class ComScope final {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

/// The WIC codes a damaged file gives, in words; the system's text for the rest.
std::string why(HRESULT hr) {
    struct Known {
        HRESULT code;
        const char* text;
    };
    static constexpr Known kKnown[] = {
        {WINCODEC_ERR_BADHEADER, "its header is damaged"},
        {WINCODEC_ERR_BADIMAGE, "its image data is damaged"},
        {WINCODEC_ERR_BADSTREAMDATA, "its image data is damaged"},
        {WINCODEC_ERR_STREAMREAD, "the file ends early"},
        {WINCODEC_ERR_STREAMNOTAVAILABLE, "the file ends early"},
        {WINCODEC_ERR_COMPONENTNOTFOUND, "no decoder of this system reads it"},
        {WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT, "its kind of pixels is not supported"},
        // Wine's decoders answer any damage so.
        {WINCODEC_ERR_UNKNOWNIMAGEFORMAT, "its data cannot be decoded"},
        {E_FAIL, "its data cannot be decoded"},
    };
    for (const Known& k : kKnown) {
        if (k.code == hr) return k.text;
    }
    char text[256] = {};
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(hr), 0, text, sizeof text, nullptr) == 0) {
        std::snprintf(text, sizeof text, "error 0x%08lX", static_cast<unsigned long>(hr));
    }
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.')) s.pop_back();
    return s;
}

}  // namespace

GreyImage decodePixels(ImageFormat format, std::span<const std::uint8_t> bytes) {
    ComScope com;
    if (!com.usable()) {
        throw ImageError("the Windows Imaging Component cannot start: " + why(com.result()));
    }
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory));
    if (FAILED(hr)) throw ImageError("the Windows Imaging Component cannot start: " + why(hr));
    if (bytes.size() > MAXDWORD) {
        throw ImageError(std::string(formatName(format)) + " file too large: over 4 GB");
    }

    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    hr = factory->CreateStream(&stream);
    // WIC only reads through the pointer, though its signature does not say so.
    if (SUCCEEDED(hr)) {
        hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size()));
    }
    if (SUCCEEDED(hr)) {
        hr = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              &decoder);
    }
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame);
    UINT width = 0, height = 0;
    if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
    if (FAILED(hr)) throwDamaged(format, why(hr));
    checkPictureSize(format, width, height);

    // Premultiplied BGRA rather than 8bppGray: the grey conversion would drop the alpha, and
    // this way colour and alpha become grey by the same rule as on other systems.
    ComPtr<IWICFormatConverter> converter;
    hr = factory->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr)) {
        hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    }
    if (FAILED(hr)) throwDamaged(format, why(hr));

    GreyImage image{static_cast<int>(width), static_cast<int>(height),
                    std::vector<std::uint8_t>(std::size_t{width} * height), 0};
    // A band of rows at a time: the BGRA of a whole page would take four times its grey.
    const UINT band = std::max<UINT>(1, (1u << 22) / width);
    std::vector<std::uint8_t> bgra(std::size_t{width} * 4 * std::min(band, height));
    for (UINT y = 0; y < height; y += band) {
        const UINT rows = std::min(band, height - y);
        const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(width), static_cast<INT>(rows)};
        hr = converter->CopyPixels(&rect, width * 4, static_cast<UINT>(bgra.size()), bgra.data());
        if (FAILED(hr)) throwDamaged(format, why(hr));
        std::uint8_t* out = image.pixels.data() + std::size_t{y} * width;
        for (std::size_t i = 0; i < std::size_t{width} * rows; ++i) {
            const std::uint8_t* p = &bgra[4 * i];
            out[i] = onWhitePremultiplied(luminance(p[2], p[1], p[0]), p[3]);
        }
    }
    return image;
}

}  // namespace trevalune::rowreader::detail
