#include "png/png_file.h"

#include "files/atomic_output.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {

constexpr int fastCompression = 1;  // zlib's fastest level

// Encodes the image into an open file; false on any libpng error.
bool encode(FILE* file, const PixelImage& image, std::vector<png_bytep>& rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 image.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Fast deflate with one cheap filter: a large snapshot then takes a
    // fraction of the time at little cost in size, the pictures being mostly
    // flat black.
    png_set_compression_level(png, fastCompression);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, const PixelImage& image, std::string& message)
{
    const size_t rowBytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.channels);
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (int r = 0; r < image.height; ++r) {
        const int stored = image.bottomRowFirst ? image.height - 1 - r : r;
        const unsigned char* row = image.pixels + rowBytes * static_cast<size_t>(stored);
        rows[static_cast<size_t>(r)] = const_cast<png_bytep>(row);
    }

    AtomicOutput output;
    if (!output.open(path, message))
        return false;
    FILE* file = output.stream();
    if (file == nullptr || !encode(file, image, rows)) {
        message = "cannot write " + path;
        return false;
    }
    return output.commit(message);
}
