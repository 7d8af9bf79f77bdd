#include "work_data.h"

#include <filesystem>

#ifndef PALEOVIZ_SOURCE_DIR
#define PALEOVIZ_SOURCE_DIR "."
#endif

namespace fs = std::filesystem;

namespace {

// The size the program expects, or 0 for "any non-empty file".
long expectedSize(const std::string& name)
{
    if (name == gridFileName)
        return syntheticGridBytes;
    if (name == logoFileName)
        return syntheticLogoBytes;
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

}  // namespace

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
        return scratch.write(name, standInGrid());
    if (name == seriesFileName)
        return scratch.write(name, standInSeries());
    if (name == logoFileName)
        return scratch.write(name, standInLogo());
    return false;
}
