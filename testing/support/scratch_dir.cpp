#include "scratch_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::string& prefix)
{
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    std::string pattern = (error ? fs::path("/tmp") : base).string() + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr)
        dir = pattern;
}

ScratchDir::~ScratchDir()
{
    if (dir.empty())
        return;
    std::error_code error;
    fs::remove_all(dir, error);
}

bool ScratchDir::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(file(name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
