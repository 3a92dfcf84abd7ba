#include "app/BannerImage.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// The bytes libpng reads from; a read past the end is an error, never a
// read outside the buffer.
struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->position) png_error(png, "truncated");
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

[[noreturn]] void onPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// libpng's own memory: rows, zlib state and chunk buffers, never the picture,
// which the decoder owns. A chunk header may declare up to 2 GiB and libpng
// takes a buffer of that size before it finds the data missing, so larger
// requests fail here and libpng reports them as an error.
constexpr png_alloc_size_t libpngMaxAllocation = 8u << 20;

png_voidp boundedMalloc(png_structp, png_alloc_size_t size) {
    return size <= libpngMaxAllocation ? std::malloc(size) : nullptr;
}

void boundedFree(png_structp, png_voidp p) { std::free(p); }

// Ancillary chunks the banner has no use for (tRNS is kept: it carries
// transparency). They are skipped unread instead of decoded.
const png_byte ignoredChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
constexpr int ignoredChunkCount = 17;

struct Header {
    png_uint_32 width;
    png_uint_32 height;
};

// libpng reports errors by longjmp back to the setjmp below. Only libpng's own C
// frames lie between the two, and this function holds nothing that needs a
// destructor, so the jump skips no C++ clean-up. Everything that needs freeing
// is owned by the caller.
bool readHeader(png_structp png, png_infop info, Header* header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &header->width, &header->height, &bitDepth, &colorType, &interlace,
                 nullptr, nullptr);
    // Every form becomes 8-bit blue, green, red, alpha.
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

// The same rule as readHeader: rows point into memory the caller owns.
bool readRows(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    // Reading to the end checks the rest of the stream, so a truncated or
    // corrupt file is refused rather than shown in part.
    png_read_end(png, info);
    return true;
}

class ReadStruct {
public:
    ReadStruct() {
        png_ = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning, nullptr,
                                        boundedMalloc, boundedFree);
        if (png_) info_ = png_create_info_struct(png_);
    }
    ~ReadStruct() {
        if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

}  // namespace

std::optional<BannerPixels> DecodeBannerPng(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return std::nullopt;
    ReadStruct read;
    if (!read.png() || !read.info()) return std::nullopt;
    png_set_user_limits(read.png(), bannerMaxSide, bannerMaxSide);
    png_set_keep_unknown_chunks(read.png(), PNG_HANDLE_CHUNK_NEVER, ignoredChunks, ignoredChunkCount);
#ifdef KESTROVA_FUZZING
    // Mutated inputs almost never keep their checksums right; read them anyway
    // so the fuzzer reaches the decoding behind the checks.
    png_set_crc_action(read.png(), PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    MemoryReader reader{data, size, 0};
    png_set_read_fn(read.png(), &reader, readFromMemory);

    Header header{};
    if (!readHeader(read.png(), read.info(), &header)) return std::nullopt;
    const std::uint64_t rowBytes = std::uint64_t{header.width} * 4;
    if (header.width == 0 || header.height == 0 || header.width > bannerMaxSide ||
        header.height > bannerMaxSide || rowBytes * header.height > bannerMaxBytes ||
        png_get_rowbytes(read.png(), read.info()) != rowBytes) {
        return std::nullopt;
    }

    // The pixels and the row table are sized here, before the setjmp, and owned
    // by this frame, which the longjmp never leaves.
    const auto stride = static_cast<std::size_t>(rowBytes);
    BannerPixels pixels;
    pixels.width = static_cast<int>(header.width);
    pixels.height = static_cast<int>(header.height);
    pixels.bgra.resize(stride * header.height);
    std::vector<png_bytep> rows(header.height);
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = pixels.bgra.data() + y * stride;
    if (!readRows(read.png(), read.info(), rows.data())) return std::nullopt;
    return pixels;
}

Bounds FitBanner(int clientWidth, int clientHeight, int imageWidth, int imageHeight) {
    if (clientWidth <= 0 || clientHeight <= 0 || imageWidth <= 0 || imageHeight <= 0) return {0, 0, 0, 0};
    int x = 0, y = 0, a = clientWidth, b = clientHeight;
    if (clientWidth >= imageWidth) {
        x = (clientWidth - imageWidth) / 2;
        a = imageWidth;
    }
    if (clientHeight >= imageHeight) {
        y = (clientHeight - imageHeight) / 2;
        b = imageHeight;
    }
    if (a < imageWidth || b < imageHeight) {
        const double f = std::min(static_cast<double>(a) / imageWidth, static_cast<double>(b) / imageHeight);
        const int w = static_cast<int>(std::trunc(imageWidth * f));
        const int h = static_cast<int>(std::trunc(imageHeight * f));
        return {x + (a - w) / 2, y + (b - h) / 2, w, h};
    }
    return {x, y, imageWidth, imageHeight};
}
