// The names of the three files the window reads at start-up. The program,
// its tests and its benchmarks all take the names from here.
#ifndef PALEOVIZ_SCENE_DATA_FILES_H
#define PALEOVIZ_SCENE_DATA_FILES_H

constexpr const char* gridFileName = "partetopo";    // elevation grid, 540 x 1080 int16
constexpr const char* seriesFileName = "orbit95b";   // orbital series, text
constexpr const char* logoFileName = "logo.rgba";    // logo picture, 190 x 206 RGBA

#endif
