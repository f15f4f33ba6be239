// The image decoders: small pictures of every kind a scanner or phone writes, made here with
// the platform's encoders, decoded to grey with their resolution; bad files give ImageError.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "rowreader/image.h"

#ifdef _WIN32
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>
#else
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#endif

namespace trevalune::rowreader {
namespace {

using Bytes = std::vector<std::uint8_t>;
enum class Format { Png, Jpeg, Tiff };
/// Grey8: 30x + 10y. Colour and Palette: red, green, blue, mid grey in blocks. Grey16: the
/// grey of Grey8 with a low byte that must not win. Alpha: grey 100 over alpha 36x.
/// Bilevel: ink where (x + y) % 3 == 0, one bit per pixel, 1 = ink (MinIsWhite) where the
/// encoder lets us say so.
enum class Kind { Grey8, Colour, Palette, Grey16, Alpha, Bilevel };
enum class Unit { None, Inch, Centimetre };
constexpr int kWidth = 8, kHeight = 4;
constexpr std::uint8_t kColours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {128, 128, 128}};

struct Sample {
    Format format;
    Kind kind;
    Unit unit = Unit::None;
    double resolution = 0;  // in `unit`
};

int grey8(int x, int y) {
    return 30 * x + 10 * y;
}
int alphaAt(int x) {
    return 36 * x;
}
bool inkAt(int x, int y) {
    return (x + y) % 3 == 0;
}
/// In blocks of 2 x 2, as JPEG keeps colour, so that only its quantisation blurs them.
int colourAt(int x, int y) {
    return (x / 2 + y / 2) % 4;
}

/// What the decoder must give, written from what each sample shows, not from its code.
int expectedGrey(Kind kind, int x, int y) {
    constexpr int kColourGrey[4] = {76, 150, 29, 128};  // luminance of kColours
    switch (kind) {
        case Kind::Grey8:
        case Kind::Grey16:
            return grey8(x, y);
        case Kind::Colour:
        case Kind::Palette:
            return kColourGrey[colourAt(x, y)];
        case Kind::Alpha:
            return static_cast<int>(std::lround(255 - alphaAt(x) * (155 / 255.0)));
        case Kind::Bilevel:
            return inkAt(x, y) ? 0 : 255;
    }
    return -1;
}

#ifdef _WIN32
/// The sample through WIC's own encoders; empty when this system's encoder cannot write that
/// kind of pixels (the case is then left out, and says so).
Bytes encode(const Sample& s) {
    // Wine's PNG encoder writes 16-bit grey in the wrong byte order; this is libpng's file.
    static const Bytes kGrey16Png = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
        0x52, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x04, 0x10, 0x00, 0x00, 0x00, 0x00, 0xC6,
        0x36, 0xFD, 0x6F, 0x00, 0x00, 0x00, 0x20, 0x49, 0x44, 0x41, 0x54, 0x08, 0x99, 0x63, 0x64,
        0x48, 0x91, 0x83, 0x03, 0x79, 0x39, 0x39, 0x39, 0x26, 0x2E, 0x38, 0xE0, 0xE6, 0xE2, 0xE2,
        0xE2, 0xE2, 0x42, 0x12, 0xE0, 0xC2, 0x2E, 0x00, 0x00, 0xAB, 0x45, 0x03, 0xF2, 0x7C, 0xCE,
        0x72, 0x60, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    if (s.kind == Kind::Grey16 && s.format == Format::Png) return kGrey16Png;
    struct Com {
        Com() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
        ~Com() { CoUninitialize(); }
    } com;
    using Microsoft::WRL::ComPtr;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    const GUID container = s.format == Format::Png    ? GUID_ContainerFormatPng
                           : s.format == Format::Jpeg ? GUID_ContainerFormatJpeg
                                                      : GUID_ContainerFormatTiff;
    const WICPixelFormatGUID wanted = s.kind == Kind::Colour    ? GUID_WICPixelFormat24bppBGR
                                      : s.kind == Kind::Palette ? GUID_WICPixelFormat8bppIndexed
                                      : s.kind == Kind::Grey16  ? GUID_WICPixelFormat16bppGray
                                      : s.kind == Kind::Alpha   ? GUID_WICPixelFormat32bppBGRA
                                      : s.kind == Kind::Bilevel ? GUID_WICPixelFormatBlackWhite
                                                                : GUID_WICPixelFormat8bppGray;
    WICPixelFormatGUID format = wanted;
    EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                              CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
    EXPECT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    EXPECT_HRESULT_SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder));
    EXPECT_HRESULT_SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
    EXPECT_HRESULT_SUCCEEDED(encoder->CreateNewFrame(&frame, &options));
    if (s.format == Format::Jpeg) {
        PROPBAG2 quality{};
        quality.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
        VARIANT best{};
        best.vt = VT_R4;
        best.fltVal = 1.0f;
        EXPECT_HRESULT_SUCCEEDED(options->Write(1, &quality, &best));
    }
    EXPECT_HRESULT_SUCCEEDED(frame->Initialize(options.Get()));
    EXPECT_HRESULT_SUCCEEDED(frame->SetSize(kWidth, kHeight));
    EXPECT_HRESULT_SUCCEEDED(frame->SetPixelFormat(&format));
    if (format != wanted) return {};
    if (s.unit != Unit::None) {
        // WIC writes dots per inch only.
        const double dpi =
            s.unit == Unit::Centimetre ? std::round(s.resolution * 2.54) : s.resolution;
        EXPECT_HRESULT_SUCCEEDED(frame->SetResolution(dpi, dpi));
    }
    ComPtr<IWICPalette> palette;
    if (s.kind == Kind::Palette) {
        WICColor colours[4];
        for (int i = 0; i < 4; ++i) {
            colours[i] = 0xFF000000u | kColours[i][0] << 16 | kColours[i][1] << 8 | kColours[i][2];
        }
        EXPECT_HRESULT_SUCCEEDED(factory->CreatePalette(&palette));
        EXPECT_HRESULT_SUCCEEDED(palette->InitializeCustom(colours, 4));
        EXPECT_HRESULT_SUCCEEDED(frame->SetPalette(palette.Get()));
    }
    const UINT stride = kWidth * 4;
    Bytes pixels(stride * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = &pixels[y * stride];
        for (int x = 0; x < kWidth; ++x) {
            const int g = grey8(x, y), c = colourAt(x, y);
            switch (s.kind) {
                case Kind::Colour:
                    for (int i = 0; i < 3; ++i) row[3 * x + i] = kColours[c][2 - i];
                    break;
                case Kind::Palette:
                    row[x] = static_cast<std::uint8_t>(c);
                    break;
                case Kind::Grey16:
                    row[2 * x] = static_cast<std::uint8_t>((g * 257 + 100) & 0xFF);
                    row[2 * x + 1] = static_cast<std::uint8_t>((g * 257 + 100) >> 8);
                    break;
                case Kind::Alpha:
                    row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = 100;
                    row[4 * x + 3] = static_cast<std::uint8_t>(alphaAt(x));
                    break;
                case Kind::Bilevel:  // 1 is white here
                    if (!inkAt(x, y)) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                    break;
                default:
                    row[x] = static_cast<std::uint8_t>(g);
                    break;
            }
        }
    }
    EXPECT_HRESULT_SUCCEEDED(
        frame->WritePixels(kHeight, stride, static_cast<UINT>(pixels.size()), pixels.data()));
    EXPECT_HRESULT_SUCCEEDED(frame->Commit());
    EXPECT_HRESULT_SUCCEEDED(encoder->Commit());
    STATSTG stat{};
    HGLOBAL memory = nullptr;
    EXPECT_HRESULT_SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_HRESULT_SUCCEEDED(GetHGlobalFromStream(stream.Get(), &memory));
    const auto* data = static_cast<const std::uint8_t*>(GlobalLock(memory));
    Bytes out(data, data + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return out;
}
#else
Bytes encodePng(const Sample& s) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<Bytes*>(png_get_io_ptr(p))
                ->insert(static_cast<Bytes*>(png_get_io_ptr(p))->end(), data, data + n);
        },
        nullptr);
    const int type = s.kind == Kind::Colour    ? PNG_COLOR_TYPE_RGB
                     : s.kind == Kind::Palette ? PNG_COLOR_TYPE_PALETTE
                     : s.kind == Kind::Alpha   ? PNG_COLOR_TYPE_GRAY_ALPHA
                                               : PNG_COLOR_TYPE_GRAY;
    png_set_IHDR(png, info, kWidth, kHeight, s.kind == Kind::Grey16 ? 16 : 8, type,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[4];
    for (int i = 0; i < 4; ++i) palette[i] = {kColours[i][0], kColours[i][1], kColours[i][2]};
    if (s.kind == Kind::Palette) png_set_PLTE(png, info, palette, 4);
    const auto perMetre = static_cast<png_uint_32>(std::lround(s.resolution / 0.0254));
    if (s.unit == Unit::Inch) png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) {
        Bytes row;
        for (int x = 0; x < kWidth; ++x) {
            const int g = grey8(x, y), c = colourAt(x, y);
            switch (s.kind) {
                case Kind::Colour:
                    row.insert(row.end(), kColours[c], kColours[c] + 3);
                    break;
                case Kind::Palette:
                    row.push_back(static_cast<std::uint8_t>(c));
                    break;
                case Kind::Grey16:
                    row.push_back(static_cast<std::uint8_t>((g * 257 + 100) >> 8));
                    row.push_back(static_cast<std::uint8_t>((g * 257 + 100) & 0xFF));
                    break;
                case Kind::Alpha:
                    row.insert(row.end(), {100, std::uint8_t(alphaAt(x))});
                    break;
                default:
                    row.push_back(static_cast<std::uint8_t>(g));
                    break;
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes encodeJpeg(const Sample& s) {
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    const bool colour = s.kind == Kind::Colour;
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = colour ? 3 : 1;
    c.in_color_space = colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    c.density_unit = static_cast<UINT8>(s.unit == Unit::Inch         ? 1
                                        : s.unit == Unit::Centimetre ? 2
                                                                     : 0);
    c.X_density = c.Y_density = static_cast<UINT16>(s.unit == Unit::None ? 1 : s.resolution);
    jpeg_start_compress(&c, TRUE);
    for (int y = 0; y < kHeight; ++y) {
        Bytes row;
        for (int x = 0; x < kWidth; ++x) {
            if (colour) {
                row.insert(row.end(), kColours[colourAt(x, y)], kColours[colourAt(x, y)] + 3);
            } else {
                row.push_back(static_cast<std::uint8_t>(grey8(x, y)));
            }
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return out;
}

Bytes encodeTiff(const Sample& s) {
    const auto path = std::filesystem::path(::testing::TempDir()) / "image_test.tif";
    TIFF* t = TIFFOpen(path.c_str(), "w");
    const int samples = s.kind == Kind::Colour ? 3 : s.kind == Kind::Alpha ? 2 : 1;
    const int bits = s.kind == Kind::Grey16 ? 16 : s.kind == Kind::Bilevel ? 1 : 8;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 samples == 3              ? PHOTOMETRIC_RGB
                 : s.kind == Kind::Bilevel ? PHOTOMETRIC_MINISWHITE
                                           : PHOTOMETRIC_MINISBLACK);
    const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    if (s.kind == Kind::Alpha) TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra);
    if (s.unit != Unit::None) {
        TIFFSetField(t, TIFFTAG_XRESOLUTION, s.resolution);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, s.resolution);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT,
                     s.unit == Unit::Inch ? RESUNIT_INCH : RESUNIT_CENTIMETER);
    }
    for (int y = 0; y < kHeight; ++y) {
        Bytes row;
        std::vector<std::uint16_t> row16;
        for (int x = 0; x < kWidth; ++x) {
            const int g = grey8(x, y);
            switch (s.kind) {
                case Kind::Colour:
                    row.insert(row.end(), kColours[colourAt(x, y)], kColours[colourAt(x, y)] + 3);
                    break;
                case Kind::Grey16:
                    row16.push_back(static_cast<std::uint16_t>(g * 257 + 100));
                    break;
                case Kind::Alpha:
                    row.insert(row.end(), {100, std::uint8_t(alphaAt(x))});
                    break;
                case Kind::Bilevel:
                    if (x % 8 == 0) row.push_back(0);
                    if (inkAt(x, y)) row.back() |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                    break;
                default:
                    row.push_back(static_cast<std::uint8_t>(g));
                    break;
            }
        }
        TIFFWriteScanline(t, row16.empty() ? static_cast<void*>(row.data()) : row16.data(),
                          static_cast<std::uint32_t>(y), 0);
    }
    TIFFClose(t);
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes encode(const Sample& s) {
    switch (s.format) {
        case Format::Png:
            return encodePng(s);
        case Format::Jpeg:
            return encodeJpeg(s);
        case Format::Tiff:
            return encodeTiff(s);
    }
    return {};
}
#endif

#ifdef _WIN32
// Wine's JPEG encoder keeps colour coarsely whatever quality it is asked for; still narrow
// enough to tell red (76) from blue (29).
constexpr int kJpegColourTolerance = 30;
#else
constexpr int kJpegColourTolerance = 4;
#endif

/// The samples' pixels and resolution, decoded.
TEST(DecodeImage, GivesTheGreyAndResolutionOfEverySample) {
    struct Case {
        Sample sample;
        int tolerance;
        double dpi;
    };
    const Case cases[] = {
        {{Format::Png, Kind::Grey8, Unit::Inch, 300}, 0, 300},  // pHYs 11811 per metre
        {{Format::Png, Kind::Colour}, 1, 0},
        {{Format::Png, Kind::Palette}, 1, 0},
        {{Format::Png, Kind::Grey16}, 1, 0},
        {{Format::Png, Kind::Alpha}, 1, 0},
        {{Format::Jpeg, Kind::Grey8, Unit::Inch, 200}, 5, 200},
        {{Format::Jpeg, Kind::Colour, Unit::Centimetre, 118}, kJpegColourTolerance, 300},
        {{Format::Jpeg, Kind::Grey8}, 5, 0},  // JFIF with an aspect ratio only
        {{Format::Tiff, Kind::Grey8, Unit::Inch, 600}, 0, 600},
        {{Format::Tiff, Kind::Colour, Unit::Centimetre, 236.22}, 1, 600},
        {{Format::Tiff, Kind::Grey16}, 1, 0},
        {{Format::Tiff, Kind::Alpha}, 1, 0},
        {{Format::Tiff, Kind::Bilevel, Unit::Inch, 300}, 0, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "format " << int(c.sample.format) << ", kind "
                                          << int(c.sample.kind) << ", unit " << int(c.sample.unit));
        const Bytes file = encode(c.sample);
#ifdef _WIN32
        if (file.empty()) {
            std::printf("left out: this system's encoder cannot write kind %d as %d\n",
                        int(c.sample.kind), int(c.sample.format));
            continue;
        }
#endif
        const GreyImage image = decodeImage(file);
        ASSERT_EQ(image.width, kWidth);
        ASSERT_EQ(image.height, kHeight);
        EXPECT_DOUBLE_EQ(image.dotsPerInch, c.dpi);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                EXPECT_NEAR(image.at(x, y), expectedGrey(c.sample.kind, x, y), c.tolerance)
                    << "at " << x << "," << y;
            }
        }
    }
}

#ifndef _WIN32
std::uint32_t crc32(const std::uint8_t* data, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

/// The PNG sample claiming width x height pixels, its header's checksum made good.
Bytes pngClaiming(std::uint32_t width, std::uint32_t height) {
    Bytes b = encode({Format::Png, Kind::Grey8});
    for (int i = 0; i < 4; ++i) {
        b[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        b[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const std::uint32_t crc = crc32(&b[12], 17);  // IHDR's type and data
    for (int i = 0; i < 4; ++i) b[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return b;
}
#endif

Bytes withoutLast(Bytes b, std::size_t count) {
    b.resize(b.size() - count);
    return b;
}

TEST(DecodeImage, RefusesWhatItCannotReadWithAClearMessage) {
    const std::string gif = "GIF89a\x08\x00\x04\x00";
    Bytes corrupt = encode({Format::Png, Kind::Grey8});
    corrupt[corrupt.size() - 20] ^= 0x55;  // inside the image data: its checksum fails
    const std::pair<Bytes, std::string> cases[] = {
        {{}, "not a PNG, JPEG or TIFF picture: the file is empty"},
        {Bytes(gif.begin(), gif.end()), "not a PNG, JPEG or TIFF picture"},
#ifndef _WIN32  // Wine's PNG decoder decodes the whole picture before it tells the size
        {pngClaiming(20000, 10001),
         "PNG picture too large: 20000 x 10001 pixels, more than the 200000000 this tool reads"},
#endif
        {withoutLast(encode({Format::Png, Kind::Colour}), 30), "damaged PNG: "},
        {corrupt, "damaged PNG: "},
        {withoutLast(encode({Format::Jpeg, Kind::Colour}), 8), "damaged JPEG: "},  // in the scan
        {withoutLast(encode({Format::Jpeg, Kind::Grey8}), 200), "damaged JPEG: "},
        {withoutLast(encode({Format::Tiff, Kind::Colour, Unit::Inch, 300}), 60), "damaged TIFF: "},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        try {
            decodeImage(bytes);
            ADD_FAILURE() << "decoded";
        } catch (const ImageError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, message.size()), message) << e.what();
            if (message.back() == ' ') {
                EXPECT_GT(std::strlen(e.what()), message.size());  // the library says why
            }
        }
    }
}

}  // namespace
}  // namespace trevalune::rowreader
