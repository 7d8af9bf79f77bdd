// The one writer of synthetic data files in the formats the program reads
// (a 540 x 1080 little-endian elevation grid, an orbital series of three
// header lines and five-number records, a 190 x 206 RGBA picture), and the
// plausible stand-ins that tests and benchmarks use when the project's own
// data/ files are absent.
#ifndef PALEOVIZ_TESTS_SYNTHETIC_DATA_H
#define PALEOVIZ_TESTS_SYNTHETIC_DATA_H

#include <cstdint>
#include <string>
#include <vector>

constexpr int syntheticGridRows = 540;
constexpr int syntheticGridCols = 1080;
constexpr long syntheticGridBytes = 2L * syntheticGridRows * syntheticGridCols;
constexpr int syntheticLogoWidth = 190;
constexpr int syntheticLogoHeight = 206;
constexpr long syntheticLogoBytes = 4L * syntheticLogoWidth * syntheticLogoHeight;
constexpr int syntheticSeriesRecords = 5800;

// Little-endian bytes of 16-bit samples, as an elevation grid file holds them.
std::string gridBytes(const std::vector<int16_t>& samples);
// A full 540 x 1080 grid whose sample is sample(row, column).
std::string fullGrid(int16_t (*sample)(int row, int col));

// One record of the series: eccentricity, precession angle (degrees),
// obliquity (degrees), extra value. Its time column is written as -j.
struct SeriesRecord {
    double ecc, prec, obl;
    float extra;
};
// Three header lines (joined by "\n", no line end after the last) and
// records 0..records-1, one per line, each value written so that it scans
// back to the same double.
std::string seriesText(const std::string& header, int records, SeriesRecord (*record)(int j));

// A 190 x 206 picture, rows as stored, pixel(x, y) as 0xRRGGBBAA.
std::string logoPicture(uint32_t (*pixel)(int x, int y));

// Stand-ins: a chequerboard of 20-degree cells of land (500) and ocean
// (-3000); smooth orbital cycles of plausible size in 5800 records; an
// opaque colour ramp.
std::string standInGrid();
std::string standInSeries();
std::string standInLogo();

#endif
