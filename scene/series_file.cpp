// The orbital series file: three header lines, then records of five numbers
// "time eccentricity precession-degrees obliquity-degrees extra" separated by
// any white space.
#include "scene/paleo_scene.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int headerLines = 3;
constexpr int fieldsPerRecord = 5;

// Consumes one whole line, however long. Returns false at end of input.
bool skipLine(FILE* file)
{
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        if (std::strchr(buffer, '\n') != nullptr)
            return true;
    }
    return false;
}

}  // namespace

void PaleoScene::readSeries(const char* fileName, int n)
{
    FILE* file = std::fopen(fileName, "r");
    if (file == nullptr) {
        std::printf("Unable to open file \"%s\" for read\n", fileName);
        std::fflush(stdout);
        std::exit(-1);
    }
    recordCount = n;
    delete[] eccSeries;
    delete[] precSeries;
    delete[] oblSeries;
    eccSeries = new double[n];
    precSeries = new double[n];
    oblSeries = new double[n];

    for (int line = 0; line < headerLines; ++line)
        skipLine(file);

    // From the first record that cannot be read whole, every field not read
    // is 0.0: at a clean end of input silently, otherwise with one message.
    bool readable = true;
    for (int j = 0; j < n; ++j) {
        int fields = 0;
        if (readable) {
            int time = 0;
            float extra = 0;
            fields = std::fscanf(file, "%d %lf %lf %lf %f", &time, &eccSeries[j],
                                 &precSeries[j], &oblSeries[j], &extra);
            if (fields == EOF) {
                fields = 0;
                readable = false;
            } else if (fields < fieldsPerRecord) {
                std::printf("%s: record %d is not five numbers; it and the later records are 0\n",
                            fileName, j);
                std::fflush(stdout);
                readable = false;
            }
        }
        if (fields < 2)
            eccSeries[j] = 0.0;
        if (fields < 3)
            precSeries[j] = 0.0;
        if (fields < 4)
            oblSeries[j] = 0.0;
    }
    std::fclose(file);
}

void PaleoScene::loadData(const char* seriesPath, const char* logoPath)
{
    readSeries(seriesPath, seriesRecords);
    enableAllSeries();
    loadLogo(logoPath);
    setGlobeStep(normalStep);
}
