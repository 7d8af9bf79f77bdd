#include "files/regular_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char* const folderRefusal = "a folder";

const char* fileKind(mode_t mode)
{
    if (S_ISREG(mode))
        return "";
    if (S_ISDIR(mode))
        return folderRefusal;
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

std::FILE* openRegularFile(const char* path, const char* mode, std::string& refusal)
{
    refusal.clear();
    struct stat status;
    // A socket cannot be opened at all: say what it is.
    if (stat(path, &status) == 0 && S_ISSOCK(status.st_mode)) {
        refusal = fileKind(status.st_mode);
        return nullptr;
    }
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        refusal = fileKind(status.st_mode);
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, mode);
    if (file == nullptr)
        close(fd);
    return file;
}

std::string inputRefusalMessage(const std::string& path, const std::string& refusal)
{
    if (refusal.empty())
        return "cannot open \"" + path + "\" for reading";
    if (refusal == "not a regular file")
        return "\"" + path + "\" is not a regular file";
    return "\"" + path + "\" is " + refusal + ", not a regular file";
}

std::FILE* openDataFile(const char* path, const char* mode)
{
    std::string refusal;
    std::FILE* file = openRegularFile(path, mode, refusal);
    if (file == nullptr && !refusal.empty() && refusal != folderRefusal) {
        std::printf("%s\n", inputRefusalMessage(path, refusal).c_str());
        std::fflush(stdout);
    }
    return file;
}

RegularFileStream::RegularFileStream(const std::string& path)
    : std::istream(nullptr),
      file(openRegularFile(path.c_str(), "r", refusal)),
      buffer(file, std::ios_base::in)
{
    if (file != nullptr)
        rdbuf(&buffer);
    else
        setstate(std::ios_base::failbit);
}

RegularFileStream::~RegularFileStream()
{
    if (file != nullptr)
        std::fclose(file);
}
