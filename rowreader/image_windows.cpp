// PNG, JPEG and TIFF through the Windows Imaging Component, part of every Windows since XP SP3
// and Vista, so the static programs need no DLL beside them.
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <objidl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/utf16.h"
#include "rowreader/image_decode.h"

namespace trevalune::rowreader::detail {

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
    // The W function: the ANSI one answers in the system's code page (GBK on a Chinese
    // Windows), and every message of ours is UTF-8.
    wchar_t text[256] = {};
    std::string s;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(hr), 0, text, 256, nullptr) != 0) {
        s = fromWide(text);
    } else {
        char code[32];
        std::snprintf(code, sizeof code, "error 0x%08lX", static_cast<unsigned long>(hr));
        s = code;
    }
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.')) s.pop_back();
    return s;
}

/// The WIC factory; throws ImageError when there is none.
ComPtr<IWICImagingFactory> imagingFactory() {
    ComPtr<IWICImagingFactory> factory;
    const HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&factory));
    if (FAILED(hr)) throw ImageError("the Windows Imaging Component cannot start: " + why(hr));
    return factory;
}

DecodedPixels decodePixels(ImageFormat format, std::span<const std::uint8_t> bytes,
                           const DecodeRequest& request) {
    ComScope com;
    if (!com.usable()) {
        throw ImageError("the Windows Imaging Component cannot start: " + why(com.result()));
    }
    const ComPtr<IWICImagingFactory> factory = imagingFactory();
    if (bytes.size() > MAXDWORD) {
        throw ImageError(std::string(formatName(format)) + " file too large: over 4 GB");
    }

    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    HRESULT hr = factory->CreateStream(&stream);
    // WIC only reads through the pointer, though its signature does not say so.
    if (SUCCEEDED(hr)) {
        hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size()));
    }
    if (SUCCEEDED(hr)) {
        hr = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              &decoder);
    }
    // The frames of a TIFF are its directories; WIC hands them over as stored, unturned.
    if (SUCCEEDED(hr)) hr = decoder->GetFrame(static_cast<UINT>(request.directory), &frame);
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

    const int reduction = request.reduction(width, height);
    UprightRows out(static_cast<int>(width), static_cast<int>(height), request.orientation,
                    reduction);
    std::vector<std::uint8_t> grey(width);
    // A band of rows at a time: the BGRA of a whole page would take four times its grey.
    const UINT band = std::max<UINT>(1, (1u << 22) / width);
    std::vector<std::uint8_t> bgra(std::size_t{width} * 4 * std::min(band, height));
    for (UINT y = 0; y < height; y += band) {
        const UINT rows = std::min(band, height - y);
        const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(width), static_cast<INT>(rows)};
        hr = converter->CopyPixels(&rect, width * 4, static_cast<UINT>(bgra.size()), bgra.data());
        if (FAILED(hr)) throwDamaged(format, why(hr));
        for (UINT row = 0; row < rows; ++row) {
            const std::uint8_t* p = &bgra[std::size_t{row} * width * 4];
            std::uint8_t* into = out.target(static_cast<int>(y + row), grey.data());
            for (UINT x = 0; x < width; ++x, p += 4) {
                into[x] = onWhitePremultiplied(luminance(p[2], p[1], p[0]), p[3]);
            }
            out.put(static_cast<int>(y + row), into);
        }
    }
    return {out.take(), reduction};
}

}  // namespace trevalune::rowreader::detail

namespace trevalune::rowreader {

namespace {

using Microsoft::WRL::ComPtr;

struct HandleClose {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleClose>;

[[noreturn]] void throwFileError(DWORD error) {
    throw ImageFileError(detail::why(HRESULT_FROM_WIN32(error)));
}

}  // namespace

std::vector<std::uint8_t> readImageFile(const std::string& utf8Path) {
    // By its UTF-16 name: the ANSI functions lose every character outside the code page.
    const std::wstring path = toWide(utf8Path);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throwFileError(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        throw ImageFileError("it is a folder, not a picture file");
    }
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        file.release();
        throwFileError(error);
    }
    const DWORD type = GetFileType(file.get());
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) {
        throw ImageFileError("it is a device, not a picture file");
    }
    LARGE_INTEGER size{};
    if (type == FILE_TYPE_DISK && GetFileSizeEx(file.get(), &size) &&
        size.QuadPart > kMaxImageFileBytes) {
        throw ImageFileError("the file is larger than any picture this tool reads (" +
                             std::to_string(kMaxImageFileBytes >> 20) + " MB)");
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart) + 1);
    constexpr std::size_t kStep = 1 << 20;
    for (;;) {
        if (bytes.capacity() == bytes.size()) bytes.reserve(bytes.capacity() + kStep);
        const std::size_t at = bytes.size();
        const DWORD room =
            static_cast<DWORD>(std::min<std::size_t>(bytes.capacity() - at, 1u << 30));
        bytes.resize(at + room);
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + at, room, &got, nullptr)) {
            const DWORD error = GetLastError();
            bytes.resize(at);
            if (error == ERROR_BROKEN_PIPE) return bytes;  // the writer has closed its end
            throwFileError(error);
        }
        bytes.resize(at + got);
        if (got == 0) return bytes;
        if (static_cast<long long>(bytes.size()) > kMaxImageFileBytes) {
            throw ImageFileError("it holds more than any picture this tool reads (" +
                                 std::to_string(kMaxImageFileBytes >> 20) + " MB)");
        }
    }
}

void writeImageFile(const std::string& utf8Path, std::span<const std::uint8_t> bytes) {
    Handle file(CreateFileW(toWide(utf8Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        file.release();
        throwFileError(error);
    }
    for (std::size_t at = 0; at < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(file.get(), bytes.data() + at, chunk, &put, nullptr)) {
            throwFileError(GetLastError());
        }
        at += put;
    }
    if (!CloseHandle(file.release())) throwFileError(GetLastError());
}

std::vector<std::uint8_t> encodePng(const RgbImage& image) {
    detail::ComScope com;
    if (!com.usable()) {
        throw ImageError("the Windows Imaging Component cannot start: " +
                         detail::why(com.result()));
    }
    const ComPtr<IWICImagingFactory> factory = detail::imagingFactory();
    ComPtr<IStream> memory;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &memory);
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr)) hr = encoder->Initialize(memory.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    const auto width = static_cast<UINT>(image.width), height = static_cast<UINT>(image.height);
    if (SUCCEEDED(hr)) hr = frame->SetSize(width, height);
    WICPixelFormatGUID pixels = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&pixels);
    if (SUCCEEDED(hr) && pixels != GUID_WICPixelFormat24bppBGR)
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    // WIC takes blue first: a row at a time, turned round.
    std::vector<std::uint8_t> row(std::size_t{width} * 3);
    for (UINT y = 0; SUCCEEDED(hr) && y < height; ++y) {
        const std::uint8_t* in = image.pixels.data() + std::size_t{y} * width * 3;
        for (UINT x = 0; x < width; ++x) {
            row[3 * x] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x];
        }
        hr = frame->WritePixels(1, width * 3, static_cast<UINT>(row.size()), row.data());
    }
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    HGLOBAL global = nullptr;
    if (SUCCEEDED(hr)) hr = GetHGlobalFromStream(memory.Get(), &global);
    STATSTG stat{};
    if (SUCCEEDED(hr)) hr = memory->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) throw ImageError("PNG cannot be written: " + detail::why(hr));
    const auto* data = static_cast<const std::uint8_t*>(GlobalLock(global));
    std::vector<std::uint8_t> bytes(data, data + stat.cbSize.QuadPart);
    GlobalUnlock(global);
    return bytes;
}

}  // namespace trevalune::rowreader
