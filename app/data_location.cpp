#include "app/data_location.h"

#include "scene/data_files.h"

#include <climits>
#include <unistd.h>

#ifndef PALEOVIZ_DATADIR_FROM_BINDIR
#define PALEOVIZ_DATADIR_FROM_BINDIR "../share/paleoviz"
#endif

namespace {

bool readable(const std::string& path)
{
    return access(path.c_str(), R_OK) == 0;
}

std::string inFolder(const std::string& folder, const char* name)
{
    return folder.empty() ? std::string(name) : folder + "/" + name;
}

std::string findFile(const char* name, const std::vector<std::string>& fallbackFolders)
{
    if (readable(name))
        return name;
    for (const std::string& folder : fallbackFolders)
        if (readable(inFolder(folder, name)))
            return inFolder(folder, name);
    return name;
}

// The folder of the running program, "" if unknown.
std::string programFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "";
    const std::string exe(path, static_cast<size_t>(length));
    const size_t slash = exe.find_last_of('/');
    return slash == std::string::npos ? "" : exe.substr(0, slash);
}

}  // namespace

std::vector<std::string> installedDataFolders()
{
    std::vector<std::string> folders;
    const std::string bin = programFolder();
    if (!bin.empty())
        folders.push_back(bin + "/" + PALEOVIZ_DATADIR_FROM_BINDIR);
    return folders;
}

DataFiles locateDataFiles(const ProgramOptions& options, const std::vector<std::string>& fallbackFolders)
{
    DataFiles files;
    if (!options.dataDir.empty()) {
        files.grid = inFolder(options.dataDir, gridFileName);
        files.series = inFolder(options.dataDir, seriesFileName);
        files.logo = inFolder(options.dataDir, logoFileName);
    } else {
        files.grid = findFile(gridFileName, fallbackFolders);
        files.series = findFile(seriesFileName, fallbackFolders);
        files.logo = findFile(logoFileName, fallbackFolders);
    }
    if (!options.orbitFile.empty())
        files.series = options.orbitFile;
    return files;
}
