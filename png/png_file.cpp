#include "png/png_file.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const temporarySuffix = ".partial-XXXXXX";
constexpr mode_t createMode = 0666;
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

// The permissions a newly created file gets under the current umask.
mode_t newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return createMode & ~mask;
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

    std::string temporary = path + temporarySuffix;
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        message = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    fchmod(fd, newFileMode());
    errno = 0;
    FILE* file = fdopen(fd, "wb");
    bool written = file != nullptr && encode(file, image, rows);
    if (file != nullptr)
        written = std::fclose(file) == 0 && written;
    else
        close(fd);
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        message = "cannot write " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
