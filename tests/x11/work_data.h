// The program's working directory for one test: a fresh temporary folder
// holding the data files it reads at start-up under their fixed names.
#ifndef PALEOVIZ_TESTS_X11_WORK_DATA_H
#define PALEOVIZ_TESTS_X11_WORK_DATA_H

#include "scene/data_files.h"

#include <string>
#include <vector>

class WorkDir {
public:
    // Makes an empty folder under the system's temporary directory; path()
    // is empty if that failed.
    WorkDir();
    // Removes the folder and everything in it.
    ~WorkDir();
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::string& path() const { return dir; }
    std::string file(const std::string& name) const { return dir + "/" + name; }

    // Puts one start-up file into the folder: the project's committed copy
    // from data/ when it exists with the size the program expects, else a
    // generated stand-in of the right format (noted in standInsUsed()).
    // Returns false if the file could not be written.
    bool provide(const std::string& name);
    const std::vector<std::string>& standInsUsed() const { return standIns; }

private:
    std::string dir;
    std::vector<std::string> standIns;
};

// Stand-in contents of the right format and plausible values.
std::string standInGrid();    // 540 x 1080 samples: land and ocean cells
std::string standInSeries();  // three header lines and 5800 records
std::string standInLogo();    // 190 x 206 opaque RGBA colour ramp

#endif
