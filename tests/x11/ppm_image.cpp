#include "ppm_image.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int maxByteValue = 255;
constexpr int maxWordValue = 65535;
constexpr int changeTolerance = 24;  // per channel, in 0..255

// Reads the next header number, skipping blanks and '#' comments. Returns
// -1 when there is none.
long nextHeaderNumber(const std::string& bytes, size_t& pos)
{
    while (pos < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[pos]);
        if (c == '#') {
            while (pos < bytes.size() && bytes[pos] != '\n')
                ++pos;
        } else if (std::isspace(c)) {
            ++pos;
        } else {
            break;
        }
    }
    if (pos >= bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[pos])))
        return -1;
    long value = 0;
    while (pos < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[pos])) &&
           value < maxWordValue * 100L)
        value = value * 10 + (bytes[pos++] - '0');
    return value;
}

int channelSpread(Rgb p)
{
    return std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b});
}

}  // namespace

Rgb Image::at(int x, int y) const
{
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
}

Image parsePpm(const std::string& bytes)
{
    Image image;
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6')
        return image;
    size_t pos = 2;
    const long width = nextHeaderNumber(bytes, pos);
    const long height = nextHeaderNumber(bytes, pos);
    const long maxValue = nextHeaderNumber(bytes, pos);
    if (width <= 0 || height <= 0 || (maxValue != maxByteValue && maxValue != maxWordValue))
        return image;
    ++pos;  // the one white-space character before the samples
    const size_t sampleBytes = maxValue == maxByteValue ? 1 : 2;
    const size_t samples = static_cast<size_t>(width) * height * 3;
    if (bytes.size() < pos + samples * sampleBytes)
        return image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgb.resize(samples);
    for (size_t i = 0; i < samples; ++i)
        image.rgb[i] = static_cast<uint8_t>(bytes[pos + i * sampleBytes]);  // high byte first
    return image;
}

bool writePpm(const Image& image, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.rgb.data()),
              static_cast<std::streamsize>(image.rgb.size()));
    return static_cast<bool>(out);
}

bool isSunYellow(Rgb p)
{
    return p.r >= 220 && p.g >= 220 && p.b >= 80 && p.b <= 175;
}

bool isWhite(Rgb p)
{
    return p.r >= 230 && p.g >= 230 && p.b >= 230;
}

bool isGlobeColour(Rgb p)
{
    const int brightest = std::max({p.r, p.g, p.b});
    return brightest >= 40 && brightest <= 215 && channelSpread(p) >= 15;
}

bool isCurveRed(Rgb p)
{
    return p.r >= 200 && p.g <= 60 && p.b <= 60;
}

bool isCurveGreen(Rgb p)
{
    return p.g >= 200 && p.r <= 60 && p.b <= 60;
}

bool isCurveCyan(Rgb p)
{
    return p.g >= 200 && p.b >= 200 && p.r <= 60;
}

bool isLit(Rgb p)
{
    return std::max({p.r, p.g, p.b}) >= 24;
}

namespace {

Region clip(const Image& image, Region r)
{
    return Region{std::max(r.x0, 0), std::max(r.y0, 0), std::min(r.x1, image.width),
                  std::min(r.y1, image.height)};
}

bool differs(Rgb a, Rgb b)
{
    return std::abs(a.r - b.r) > changeTolerance || std::abs(a.g - b.g) > changeTolerance ||
           std::abs(a.b - b.b) > changeTolerance;
}

// Number of points (x, y) of the region, clipped to the image, where
// test(x, y) holds.
template <typename Test>
int countWhere(const Image& image, Region region, Test test)
{
    const Region r = clip(image, region);
    int count = 0;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x)
            count += test(x, y) ? 1 : 0;
    return count;
}

}  // namespace

int countPixels(const Image& image, Region region, PixelClass pixelClass)
{
    return countWhere(image, region, [&](int x, int y) { return pixelClass(image.at(x, y)); });
}

int countChanged(const Image& a, const Image& b, Region region)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    return countWhere(a, region, [&](int x, int y) { return differs(a.at(x, y), b.at(x, y)); });
}

int countClassChanged(const Image& a, const Image& b, Region region, PixelClass pixelClass)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    return countWhere(a, region, [&](int x, int y) {
        return pixelClass(a.at(x, y)) != pixelClass(b.at(x, y));
    });
}
