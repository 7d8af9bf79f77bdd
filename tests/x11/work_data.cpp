#include "work_data.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef PALEOVIZ_SOURCE_DIR
#define PALEOVIZ_SOURCE_DIR "."
#endif

namespace fs = std::filesystem;

namespace {

constexpr int gridRows = 540;
constexpr int gridCols = 1080;
constexpr long gridFileBytes = 2L * gridRows * gridCols;
constexpr int logoWidth = 190;
constexpr int logoHeight = 206;
constexpr long logoFileBytes = 4L * logoWidth * logoHeight;
constexpr int seriesRecords = 5800;

// The stand-in grid: a chequerboard of 20-degree cells of land (500 m) and
// ocean (-3000 m), so that a spinning globe shows coast lines on every side.
constexpr int cellSamples = 60;
constexpr int landHeight = 500, oceanDepth = -3000;

// Stand-in orbital cycles in records (thousands of years) and their ranges.
constexpr double pi = 3.141592653589793;
constexpr double eccPeriod = 100.0, eccMean = 0.017, eccSwing = 0.012;
constexpr double precPeriod = 21.0, precStart = 102.0;
constexpr double oblPeriod = 41.0, oblMean = 23.3, oblSwing = 1.1;

// The size the program expects, or 0 for "any non-empty file".
long expectedSize(const std::string& name)
{
    if (name == gridFileName)
        return gridFileBytes;
    if (name == logoFileName)
        return logoFileBytes;
    return 0;
}

bool committedCopyUsable(const fs::path& source, long size)
{
    std::error_code error;
    const auto actual = fs::file_size(source, error);
    if (error || actual == 0)
        return false;
    return size == 0 || static_cast<long>(actual) == size;
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

WorkDir::WorkDir()
{
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    std::string pattern = (error ? fs::path("/tmp") : base).string() + "/paleoviz-x11-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr)
        dir = pattern;
}

WorkDir::~WorkDir()
{
    if (dir.empty())
        return;
    std::error_code error;
    fs::remove_all(dir, error);
}

bool WorkDir::provide(const std::string& name)
{
    const fs::path committed = fs::path(PALEOVIZ_SOURCE_DIR) / "data" / name;
    if (committedCopyUsable(committed, expectedSize(name))) {
        std::error_code error;
        fs::copy_file(committed, file(name), fs::copy_options::overwrite_existing, error);
        return !error;
    }
    // No usable committed copy yet: fall back to a generated file so that
    // the window can still be exercised.
    standIns.push_back(name);
    if (name == gridFileName)
        return writeFile(file(name), standInGrid());
    if (name == seriesFileName)
        return writeFile(file(name), standInSeries());
    if (name == logoFileName)
        return writeFile(file(name), standInLogo());
    return false;
}

std::string standInGrid()
{
    std::string bytes;
    bytes.reserve(gridFileBytes);
    for (int r = 0; r < gridRows; ++r) {
        for (int c = 0; c < gridCols; ++c) {
            const bool land = (r / cellSamples + c / cellSamples) % 2 == 0;
            const auto sample = static_cast<uint16_t>(static_cast<int16_t>(land ? landHeight : oceanDepth));
            bytes.push_back(static_cast<char>(sample & 0xFF));  // little-endian
            bytes.push_back(static_cast<char>(sample >> 8));
        }
    }
    return bytes;
}

std::string standInSeries()
{
    std::ostringstream text;
    text << "Stand-in orbital series for the window tests\n"
         << "Not real data: smooth cycles of plausible size\n"
         << "time eccentricity perihelion obliquity index\n";
    char line[128];
    for (int j = 0; j < seriesRecords; ++j) {
        const double ecc = eccMean + eccSwing * std::sin(2 * pi * j / eccPeriod);
        const double prec = std::fmod(precStart + 360.0 * (1.0 - std::fmod(j / precPeriod, 1.0)), 360.0);
        const double obl = oblMean + oblSwing * std::sin(2 * pi * j / oblPeriod);
        const float index = static_cast<float>(ecc * std::sin(prec * pi / 180.0));
        std::snprintf(line, sizeof line, "%d %lf %lf %lf %f\n", -j, ecc, prec, obl, index);
        text << line;
    }
    return text.str();
}

std::string standInLogo()
{
    constexpr int channelMax = 255;
    constexpr char blue = 30;  // keeps the ramp apart from the Sun's yellow
    std::string bytes;
    bytes.reserve(logoFileBytes);
    for (int y = 0; y < logoHeight; ++y) {
        for (int x = 0; x < logoWidth; ++x) {
            bytes.push_back(static_cast<char>(64 + x * (channelMax - 64) / logoWidth));
            bytes.push_back(static_cast<char>(64 + y * (channelMax - 64) / logoHeight));
            bytes.push_back(blue);
            bytes.push_back(static_cast<char>(channelMax));
        }
    }
    return bytes;
}
