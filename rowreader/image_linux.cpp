// PNG through libpng, JPEG through libjpeg(-turbo), TIFF through libtiff, all from memory.
//
// libpng and libjpeg report errors by longjmp. A longjmp must not cross a frame that owns an
// object with a destructor, so each setjmp lives in a small function below that owns
// nothing: it works on a plain struct whose owner (with the destructor) sits in the caller,
// and only C library frames lie between the setjmp and the longjmp.
// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "rowreader/image_decode.h"

namespace trevalune::rowreader::detail {

namespace {

// ---- PNG

struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    char message[200] = {};
    png_uint_32 width = 0, height = 0;
    int channels = 0;  // after the transformations: grey, grey + alpha, RGB, RGBA
    bool interlaced = false;
};

/// Owns the read structures; the one place they are destroyed.
struct PngOwner {
    PngRead r;
    ~PngOwner() { png_destroy_read_struct(&r.png, &r.info, nullptr); }
};

void pngFail(png_structp png, png_const_charp message) {
    auto* r = static_cast<PngRead*>(png_get_error_ptr(png));
    std::snprintf(r->message, sizeof r->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}  // a warning leaves the picture readable

void pngReadBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* r = static_cast<PngRead*>(png_get_io_ptr(png));
    if (length > r->bytes.size() - r->at) png_error(png, "the file ends early");
    std::memcpy(out, r->bytes.data() + r->at, length);
    r->at += length;
}

/// Reads the header and sets the transformations: 8 bits per channel, palette and
/// transparency expanded to colour and alpha.
bool pngReadHeader(PngRead* r) {
    if (setjmp(png_jmpbuf(r->png))) return false;
    png_set_read_fn(r->png, r, pngReadBytes);
    png_read_info(r->png, r->info);
    png_set_expand(r->png);
    png_set_scale_16(r->png);
    r->interlaced = png_set_interlace_handling(r->png) > 1;
    png_read_update_info(r->png, r->info);
    r->width = png_get_image_width(r->png, r->info);
    r->height = png_get_image_height(r->png, r->info);
    r->channels = png_get_channels(r->png, r->info);
    return true;
}

void pngRowToGrey(const std::uint8_t* in, int channels, png_uint_32 width, std::uint8_t* out) {
    for (png_uint_32 x = 0; x < width; ++x, in += channels) {
        switch (channels) {
            case 1:
                out[x] = in[0];
                break;
            case 2:
                out[x] = onWhite(in[0], in[1]);
                break;
            case 3:
                out[x] = luminance(in[0], in[1], in[2]);
                break;
            default:
                out[x] = onWhite(luminance(in[0], in[1], in[2]), in[3]);
                break;
        }
    }
}

/// `rows` holds one row, or the whole picture when it is interlaced (its passes fill rows
/// out of order); `grey` one row.
bool pngReadRows(PngRead* r, std::uint8_t* rows, std::size_t rowBytes, std::uint8_t* grey,
                 UprightRows* out) {
    if (setjmp(png_jmpbuf(r->png))) return false;
    const int passes = r->interlaced ? 7 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < r->height; ++y) {
            std::uint8_t* row = r->interlaced ? rows + y * rowBytes : rows;
            if (r->interlaced) {
                png_read_row(r->png, row, nullptr);
                continue;
            }
            std::uint8_t* into = out->target(static_cast<int>(y), grey);
            if (r->channels == 1) {  // already grey, 8 bits: read where it belongs
                png_read_row(r->png, into, nullptr);
            } else {
                png_read_row(r->png, row, nullptr);
                pngRowToGrey(row, r->channels, r->width, into);
            }
            out->put(static_cast<int>(y), into);
        }
    }
    for (png_uint_32 y = 0; r->interlaced && y < r->height; ++y) {
        std::uint8_t* into = out->target(static_cast<int>(y), grey);
        pngRowToGrey(rows + y * rowBytes, r->channels, r->width, into);
        out->put(static_cast<int>(y), into);
    }
    return true;
}

DecodedPixels decodePng(std::span<const std::uint8_t> bytes, const DecodeRequest& request) {
    PngOwner owner;
    PngRead& r = owner.r;
    r.bytes = bytes;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, pngFail, pngWarning);
    if (r.png) r.info = png_create_info_struct(r.png);
    if (!r.png || !r.info) throw ImageError("PNG: out of memory");
    // Our own limit is the one that counts; libpng's default would refuse wide scans sooner.
    png_set_user_limits(r.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    if (!pngReadHeader(&r)) throwDamaged(ImageFormat::Png, r.message);
    checkPictureSize(ImageFormat::Png, r.width, r.height);
    const std::size_t rowBytes = png_get_rowbytes(r.png, r.info);
    std::vector<std::uint8_t> rows(rowBytes * (r.interlaced ? r.height : 1)), grey(r.width);
    const int reduction = request.reduction(r.width, r.height);
    UprightRows out(static_cast<int>(r.width), static_cast<int>(r.height), request.orientation,
                    reduction);
    if (!pngReadRows(&r, rows.data(), rowBytes, grey.data(), &out)) {
        throwDamaged(ImageFormat::Png, r.message);
    }
    return {out.take(), reduction};
}

// ---- JPEG

struct JpegRead {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegOwner {
    JpegRead r{};
    ~JpegOwner() { jpeg_destroy_decompress(&r.info); }  // safe before create: no memory yet
};

[[noreturn]] void jpegFail(j_common_ptr info) {
    auto* r = static_cast<JpegRead*>(info->client_data);
    info->err->format_message(info, r->message);
    std::longjmp(r->jump, 1);
}

/// libjpeg only warns when the data ends early or is corrupt, and fills the rest with grey;
/// a picture with invented pixels is damaged, not read.
void jpegMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    switch (info->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
            jpegFail(info);
        default:
            return;
    }
}

enum class JpegHeader { Read, Damaged, Cmyk };

/// `reduction` is taken as far as libjpeg's inverse DCT goes (halves, quarters, eighths: far
/// faster than decoding every pixel and averaging them); the rest is left to UprightRows.
JpegHeader jpegReadHeader(JpegRead* r, std::span<const std::uint8_t> bytes,
                          const DecodeRequest& request, int* reduction) {
    r->info.err = jpeg_std_error(&r->errors);
    r->errors.error_exit = jpegFail;
    r->errors.emit_message = jpegMessage;
    if (setjmp(r->jump)) return JpegHeader::Damaged;
    jpeg_create_decompress(&r->info);
    r->info.client_data = r;
    jpeg_mem_src(&r->info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&r->info, TRUE);
    if (r->info.jpeg_color_space == JCS_CMYK || r->info.jpeg_color_space == JCS_YCCK) {
        return JpegHeader::Cmyk;
    }
    r->info.out_color_space = JCS_GRAYSCALE;  // the Y of YCbCr, or RGB weighted as Y
    *reduction = request.reduction(r->info.image_width, r->info.image_height);
    unsigned scale = 1;
    while (scale < 8 && *reduction % (2 * scale) == 0) scale *= 2;
    r->info.scale_num = 1;
    r->info.scale_denom = scale;
    jpeg_calc_output_dimensions(&r->info);
    return JpegHeader::Read;
}

bool jpegReadRows(JpegRead* r, std::uint8_t* grey, UprightRows* out) {
    if (setjmp(r->jump)) return false;
    jpeg_start_decompress(&r->info);
    while (r->info.output_scanline < r->info.output_height) {
        const int y = static_cast<int>(r->info.output_scanline);
        JSAMPROW row = out->target(y, grey);
        jpeg_read_scanlines(&r->info, &row, 1);
        out->put(y, row);
    }
    jpeg_finish_decompress(&r->info);
    return true;
}

DecodedPixels decodeJpeg(std::span<const std::uint8_t> bytes, const DecodeRequest& request) {
    JpegOwner owner;
    JpegRead& r = owner.r;
    int reduction = 1;
    switch (jpegReadHeader(&r, bytes, request, &reduction)) {
        case JpegHeader::Damaged:
            throwDamaged(ImageFormat::Jpeg, r.message);
        case JpegHeader::Cmyk:
            throw ImageError(
                "JPEG in CMYK colours, as printing presses use: scan in grey or colour");
        case JpegHeader::Read:
            break;
    }
    checkPictureSize(ImageFormat::Jpeg, r.info.image_width, r.info.image_height);
    std::vector<std::uint8_t> grey(r.info.output_width);
    const int scaled = static_cast<int>(r.info.scale_denom);
    UprightRows out(static_cast<int>(r.info.output_width), static_cast<int>(r.info.output_height),
                    request.orientation, reduction / scaled);
    if (!jpegReadRows(&r, grey.data(), &out)) throwDamaged(ImageFormat::Jpeg, r.message);
    return {out.take(), reduction};
}

// ---- TIFF: libtiff returns errors instead of jumping, through handlers of this handle only.

constexpr const char* kTiffName = "picture";

struct TiffSource {
    std::span<const std::uint8_t> bytes;
    toff_t at = 0;
    char message[300] = {};
};

tmsize_t tiffRead(thandle_t h, void* out, tmsize_t length) {
    auto* s = static_cast<TiffSource*>(h);
    if (length < 0 || s->at >= s->bytes.size()) return 0;
    const auto n = std::min<toff_t>(static_cast<toff_t>(length), s->bytes.size() - s->at);
    std::memcpy(out, s->bytes.data() + s->at, n);
    s->at += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t tiffWrite(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t tiffSeek(thandle_t h, toff_t offset, int whence) {
    auto* s = static_cast<TiffSource*>(h);
    const toff_t base = whence == SEEK_CUR ? s->at : whence == SEEK_END ? s->bytes.size() : 0;
    s->at = base + offset;
    return s->at;
}

int tiffClose(thandle_t) {
    return 0;
}
toff_t tiffSize(thandle_t h) {
    return static_cast<TiffSource*>(h)->bytes.size();
}
int tiffMap(thandle_t, void**, toff_t*) {
    return 0;
}
void tiffUnmap(thandle_t, void*, toff_t) {}

int tiffError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* s = static_cast<TiffSource*>(user);
    if (s->message[0] != '\0') return 1;  // the first error says what went wrong
    std::vsnprintf(s->message, sizeof s->message, format, args);
    // Most messages begin with the file's name, which a picture in memory does not have.
    const std::size_t named = std::strlen(kTiffName);
    if (std::strncmp(s->message, kTiffName, named) == 0 && s->message[named] == ':' &&
        s->message[named + 1] == ' ') {
        std::memmove(s->message, s->message + named + 2, std::strlen(s->message + named + 2) + 1);
    }
    return 1;  // handled: nothing on standard error
}

int tiffWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffOptionsFree {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};
struct TiffClose {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

/// TIFFRGBAImage reads every photometric interpretation (MinIsWhite and MinIsBlack, 1 to 16
/// bits, palette, RGB, YCbCr, alpha) as 8-bit RGBA.
struct RgbaReader {
    TIFFRGBAImage image{};
    bool begun = false;
    ~RgbaReader() {
        if (begun) TIFFRGBAImageEnd(&image);
    }
};

DecodedPixels decodeTiff(std::span<const std::uint8_t> bytes, const DecodeRequest& request) {
    TiffSource source{bytes};
    auto damaged = [&](const char* fallback) {
        throwDamaged(ImageFormat::Tiff, source.message[0] ? source.message : fallback);
    };
    std::unique_ptr<TIFFOpenOptions, TiffOptionsFree> options(TIFFOpenOptionsAlloc());
    if (!options) throw ImageError("TIFF: out of memory");
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), tiffError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), tiffWarning, &source);
    std::unique_ptr<TIFF, TiffClose> tiff(
        TIFFClientOpenExt(kTiffName, "rm", &source, tiffRead, tiffWrite, tiffSeek, tiffClose,
                          tiffSize, tiffMap, tiffUnmap, options.get()));
    if (!tiff) damaged("cannot be opened");
    if (request.directory > 0 &&
        !TIFFSetDirectory(tiff.get(), static_cast<tdir_t>(request.directory))) {
        damaged("a page cannot be found");
    }
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    checkPictureSize(ImageFormat::Tiff, width, height);

    char why[1024] = {};
    RgbaReader reader;
    if (!TIFFRGBAImageOK(tiff.get(), why)) damaged(why);
    reader.begun = TIFFRGBAImageBegin(&reader.image, tiff.get(), 1, why) != 0;
    if (!reader.begun) damaged(why);
    // The rows as stored: the picture is turned upright as it is decoded, for every
    // orientation alike (libtiff would only mirror, never turn).
    reader.image.req_orientation = reader.image.orientation;

    const int reduction = request.reduction(width, height);
    UprightRows out(static_cast<int>(width), static_cast<int>(height), request.orientation,
                    reduction);
    std::vector<std::uint8_t> grey(width);
    // A band of rows at a time: the RGBA of a whole page would take four times its grey.
    const std::uint32_t band = std::max<std::uint32_t>(1, (1u << 22) / width);
    std::vector<std::uint32_t> rgba(std::size_t{width} * std::min(band, height));
    // libtiff multiplies a colour's unassociated alpha in, but hands grey on as stored.
    const bool straightAlpha = reader.image.alpha == EXTRASAMPLE_UNASSALPHA &&
                               (reader.image.photometric == PHOTOMETRIC_MINISBLACK ||
                                reader.image.photometric == PHOTOMETRIC_MINISWHITE);
    for (std::uint32_t y = 0; y < height; y += band) {
        const std::uint32_t rows = std::min(band, height - y);
        reader.image.row_offset = static_cast<int>(y);
        reader.image.col_offset = 0;
        if (!TIFFRGBAImageGet(&reader.image, rgba.data(), width, rows))
            damaged("unreadable pixels");
        for (std::uint32_t row = 0; row < rows; ++row) {
            const std::uint32_t* in = rgba.data() + std::size_t{row} * width;
            std::uint8_t* into = out.target(static_cast<int>(y + row), grey.data());
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint32_t p = in[x];
                const int g = luminance(TIFFGetR(p), TIFFGetG(p), TIFFGetB(p));
                const int alpha = static_cast<int>(TIFFGetA(p));
                into[x] = straightAlpha ? onWhite(g, alpha) : onWhitePremultiplied(g, alpha);
            }
            out.put(static_cast<int>(y + row), into);
        }
    }
    return {out.take(), reduction};
}

}  // namespace

DecodedPixels decodePixels(ImageFormat format, std::span<const std::uint8_t> bytes,
                           const DecodeRequest& request) {
    switch (format) {
        case ImageFormat::Png:
            return decodePng(bytes, request);
        case ImageFormat::Jpeg:
            return decodeJpeg(bytes, request);
        case ImageFormat::Tiff:
            return decodeTiff(bytes, request);
    }
    throw ImageError("not a PNG, JPEG or TIFF picture");
}

}  // namespace trevalune::rowreader::detail

namespace trevalune::rowreader {

namespace {

/// An open file descriptor's owner.
class Descriptor final {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    /// Closes it now, with the result: a written file's last error may come only here.
    int close() { return ::close(std::exchange(fd_, -1)); }

private:
    int fd_;
};

[[noreturn]] void throwFileError(int error) {
    throw ImageFileError(std::strerror(error));
}

/// What kind of file the path names, refused unless a picture can be read from it: a folder
/// or a device would be read forever or not at all.
void checkReadable(const struct stat& status) {
    if (S_ISDIR(status.st_mode)) throw ImageFileError("it is a folder, not a picture file");
    if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode) && !S_ISSOCK(status.st_mode)) {
        throw ImageFileError("it is a device, not a picture file");
    }
    if (S_ISREG(status.st_mode) && status.st_size > kMaxImageFileBytes) {
        throw ImageFileError("the file is larger than any picture this tool reads (" +
                             std::to_string(kMaxImageFileBytes >> 20) + " MB)");
    }
}

}  // namespace

std::vector<std::uint8_t> readImageFile(const std::string& utf8Path) {
    struct stat status {};
    if (::stat(utf8Path.c_str(), &status) != 0) throwFileError(errno);
    checkReadable(status);
    const Descriptor file(::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC));
    const int fd = file.get();
    if (fd < 0) throwFileError(errno);
    if (::fstat(fd, &status) != 0) throwFileError(errno);
    checkReadable(status);  // what was opened, should the path have changed meanwhile
    // A file is read at its size at once; a pipe grows in steps.
    std::vector<std::uint8_t> bytes;
    // (one byte more, so that the end is seen without growing: no second copy of the file)
    bytes.reserve(S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) + 1 : 0);
    constexpr std::size_t kStep = 1 << 20;
    for (;;) {
        if (bytes.capacity() - bytes.size() == 0) bytes.reserve(bytes.capacity() + kStep);
        const std::size_t at = bytes.size(), room = bytes.capacity() - at;
        bytes.resize(bytes.capacity());
        const ssize_t got = ::read(fd, bytes.data() + at, room);
        if (got < 0 && errno == EINTR) {
            bytes.resize(at);
            continue;
        }
        if (got < 0) throwFileError(errno);
        bytes.resize(at + static_cast<std::size_t>(got));
        if (got == 0) return bytes;
        if (static_cast<long long>(bytes.size()) > kMaxImageFileBytes) {
            throw ImageFileError("it holds more than any picture this tool reads (" +
                                 std::to_string(kMaxImageFileBytes >> 20) + " MB)");
        }
    }
}

void writeImageFile(const std::string& utf8Path, std::span<const std::uint8_t> bytes) {
    Descriptor file(::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.get() < 0) throwFileError(errno);
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t put = ::write(file.get(), bytes.data() + at, bytes.size() - at);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) throwFileError(errno);
        at += static_cast<std::size_t>(put);
    }
    if (file.close() != 0) throwFileError(errno);
}

// ---- PNG out

namespace {

struct PngWrite {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<std::uint8_t> bytes;
    char message[200] = {};
};

struct PngWriteOwner {
    PngWrite w;
    ~PngWriteOwner() { png_destroy_write_struct(&w.png, &w.info); }
};

void pngWriteFail(png_structp png, png_const_charp message) {
    auto* w = static_cast<PngWrite*>(png_get_error_ptr(png));
    std::snprintf(w->message, sizeof w->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWriteBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* w = static_cast<PngWrite*>(png_get_io_ptr(png));
    w->bytes.insert(w->bytes.end(), data, data + length);
}

void pngFlush(png_structp) {}

bool pngWriteRows(PngWrite* w, const RgbImage* image) {
    if (setjmp(png_jmpbuf(w->png))) return false;
    png_set_write_fn(w->png, w, pngWriteBytes, pngFlush);
    png_set_IHDR(w->png, w->info, static_cast<png_uint_32>(image->width),
                 static_cast<png_uint_32>(image->height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(w->png, w->info);
    for (int y = 0; y < image->height; ++y) {
        png_write_row(w->png, image->pixels.data() + std::size_t(y) * 3 * image->width);
    }
    png_write_end(w->png, w->info);
    return true;
}

}  // namespace

std::vector<std::uint8_t> encodePng(const RgbImage& image) {
    PngWriteOwner owner;
    PngWrite& w = owner.w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &w, pngWriteFail, detail::pngWarning);
    if (w.png) w.info = png_create_info_struct(w.png);
    if (!w.png || !w.info) throw ImageError("PNG: out of memory");
    if (!pngWriteRows(&w, &image)) throw ImageError(std::string("PNG: ") + w.message);
    return std::move(w.bytes);
}

}  // namespace trevalune::rowreader
