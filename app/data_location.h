// Where the program reads its three start-up files from.
#ifndef PALEOVIZ_APP_DATA_LOCATION_H
#define PALEOVIZ_APP_DATA_LOCATION_H

#include "app/options.h"

#include <string>
#include <vector>

// Paths of the elevation grid, the orbital series and the logo picture.
struct DataFiles {
    std::string grid;
    std::string series;
    std::string logo;
};

// The installed data folder, found from where the running program lies (so
// an installation under any --prefix, or moved as a whole, finds it); empty
// when the program's own path cannot be worked out. Only the folder beside
// the program counts: a program run from its build tree never picks up the
// data of some other installation. A folder that users other than root and
// this one could change (such as /tmp/share/paleoviz for a program in
// /tmp/bin) is never used.
std::vector<std::string> installedDataFolders();

// Whether only root and this user can change what folder holds: it and
// every folder above it belong to one of them, and none can be written by
// others, except folders with the sticky bit (such as /tmp), where nobody
// can replace another's entry; the folder itself never even so.
bool safeFolder(const std::string& folder);

// With --data, the three files of that folder. Otherwise each file is taken
// from the working folder when it is there, else from the first fallback
// folder that holds it, else by its bare name, so that a file found nowhere
// gets the usual message naming it. --orbit replaces the series either way.
DataFiles locateDataFiles(const ProgramOptions& options, const std::vector<std::string>& fallbackFolders);

#endif
