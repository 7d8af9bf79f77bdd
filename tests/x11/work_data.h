// The program's working directory for one test: a fresh temporary folder
// holding the data files it reads at start-up under their fixed names.
#ifndef PALEOVIZ_TESTS_X11_WORK_DATA_H
#define PALEOVIZ_TESTS_X11_WORK_DATA_H

#include "scene/data_files.h"
#include "scratch_dir.h"
#include "synthetic_data.h"

#include <string>
#include <vector>

// An empty scratch folder (path() is empty if it could not be made),
// removed with everything in it at the end.
class WorkDir {
public:
    const std::string& path() const { return scratch.path(); }
    std::string file(const std::string& name) const { return scratch.file(name); }

    // Puts one start-up file into the folder: the project's committed copy
    // from data/ when it exists with the size the program expects, else a
    // generated stand-in of the right format (noted in standInsUsed()).
    // Returns false if the file could not be written.
    bool provide(const std::string& name);
    const std::vector<std::string>& standInsUsed() const { return standIns; }

private:
    ScratchDir scratch{"paleoviz-x11"};
    std::vector<std::string> standIns;
};

#endif
