#include "app/data_location.h"

#include "scene/data_files.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
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

bool safeFolder(const std::string& folder)
{
    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved) == nullptr)
        return false;
    std::string path = resolved;
    const mode_t writableByOthers = S_IWGRP | S_IWOTH;
    for (bool innermost = true;; innermost = false) {
        struct stat status;
        if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return false;
        if (status.st_uid != 0 && status.st_uid != geteuid())
            return false;
        if ((status.st_mode & writableByOthers) != 0 && (innermost || (status.st_mode & S_ISVTX) == 0))
            return false;
        if (path == "/")
            return true;
        const size_t slash = path.find_last_of('/');
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
}

std::vector<std::string> installedDataFolders()
{
    std::vector<std::string> folders;
    const std::string bin = programFolder();
    const std::string data = bin + "/" + PALEOVIZ_DATADIR_FROM_BINDIR;
    if (!bin.empty() && safeFolder(data))
        folders.push_back(data);
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
