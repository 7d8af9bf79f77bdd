#include "synthetic_data.h"

#include "math/constants.h"

#include <cmath>
#include <cstdio>

using math::pi;

namespace {

// The stand-in grid's cells, in samples, and heights.
constexpr int cellSamples = 60;
constexpr int landHeight = 500, oceanDepth = -3000;

// Stand-in orbital cycles in records (thousands of years) and their ranges.
constexpr double eccPeriod = 100.0, eccMean = 0.017, eccSwing = 0.012;
constexpr double precPeriod = 21.0, precStart = 102.0;
constexpr double oblPeriod = 41.0, oblMean = 23.3, oblSwing = 1.1;

int16_t chequerboard(int row, int col)
{
    const bool land = (row / cellSamples + col / cellSamples) % 2 == 0;
    return static_cast<int16_t>(land ? landHeight : oceanDepth);
}

SeriesRecord smoothCycles(int j)
{
    const double ecc = eccMean + eccSwing * std::sin(2 * pi * j / eccPeriod);
    const double prec = std::fmod(precStart + 360.0 * (1.0 - std::fmod(j / precPeriod, 1.0)), 360.0);
    const double obl = oblMean + oblSwing * std::sin(2 * pi * j / oblPeriod);
    return {ecc, prec, obl, static_cast<float>(ecc * std::sin(prec * pi / 180.0))};
}

uint32_t colourRamp(int x, int y)
{
    constexpr uint32_t channelMax = 255, floor = 64;
    constexpr uint32_t blue = 30;  // keeps the ramp apart from the Sun's yellow
    const uint32_t red = floor + uint32_t(x) * (channelMax - floor) / syntheticLogoWidth;
    const uint32_t green = floor + uint32_t(y) * (channelMax - floor) / syntheticLogoHeight;
    return red << 24 | green << 16 | blue << 8 | channelMax;
}

}  // namespace

std::string gridBytes(const std::vector<int16_t>& samples)
{
    std::string out;
    out.reserve(samples.size() * 2);
    for (int16_t s : samples) {
        const uint16_t u = static_cast<uint16_t>(s);
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

std::string fullGrid(int16_t (*sample)(int row, int col))
{
    std::vector<int16_t> samples;
    samples.reserve(syntheticGridRows * syntheticGridCols);
    for (int row = 0; row < syntheticGridRows; ++row)
        for (int col = 0; col < syntheticGridCols; ++col)
            samples.push_back(sample(row, col));
    return gridBytes(samples);
}

std::string seriesText(const std::string& header, int records, SeriesRecord (*record)(int j))
{
    std::string text = header + "\n";
    char line[160];
    for (int j = 0; j < records; ++j) {
        const SeriesRecord r = record(j);
        std::snprintf(line, sizeof line, "%d %.17g %.17g %.17g %.9g\n", -j, r.ecc, r.prec, r.obl,
                      double(r.extra));
        text += line;
    }
    return text;
}

std::string logoPicture(uint32_t (*pixel)(int x, int y))
{
    std::string bytes;
    bytes.reserve(syntheticLogoBytes);
    for (int y = 0; y < syntheticLogoHeight; ++y)
        for (int x = 0; x < syntheticLogoWidth; ++x) {
            const uint32_t rgba = pixel(x, y);
            for (int shift : {24, 16, 8, 0})
                bytes.push_back(static_cast<char>((rgba >> shift) & 0xFF));
        }
    return bytes;
}

std::string standInGrid() { return fullGrid(chequerboard); }

std::string standInSeries()
{
    return seriesText("Stand-in orbital series for tests and benchmarks\n"
                      "Not real data: smooth cycles of plausible size\n"
                      "time eccentricity perihelion obliquity index",
                      syntheticSeriesRecords, smoothCycles);
}

std::string standInLogo() { return logoPicture(colourRamp); }
