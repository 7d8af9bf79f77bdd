#include "files/regular_input.h"

#include <cstddef>
#include <streambuf>

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

bool isReadableKind(mode_t mode)
{
    return S_ISREG(mode) || S_ISFIFO(mode);
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
    // Without O_NONBLOCK, opening a FIFO waits for a writer, maybe for ever.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (fstat(fd, &status) != 0 || !isReadableKind(status.st_mode)) {
        refusal = fileKind(status.st_mode);
        close(fd);
        return nullptr;
    }
    // Reads block from here on, so a pipe is read to its end; a FIFO that
    // has no writer at this moment gives end of file at once instead.
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

// An input buffer of our own over a C stream: reads in blocks and owns the
// stream, closing it when the buffer goes.
class RegularFileStream::FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(std::FILE* file) : file(file) {}
    ~FileBuffer() override { std::fclose(file); }
    FileBuffer(const FileBuffer&) = delete;
    FileBuffer& operator=(const FileBuffer&) = delete;

protected:
    int_type underflow() override
    {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        const std::size_t n = std::fread(block, 1, sizeof block, file);
        if (n == 0)
            return traits_type::eof();
        setg(block, block, block + n);
        return traits_type::to_int_type(block[0]);
    }

private:
    std::FILE* file;
    char block[8192];
};

RegularFileStream::RegularFileStream(const std::string& path) : std::istream(nullptr)
{
    std::FILE* file = openRegularFile(path.c_str(), "r", refusal);
    if (file == nullptr) {
        setstate(std::ios_base::failbit);
        return;
    }
    buffer = std::make_unique<FileBuffer>(file);
    rdbuf(buffer.get());
}

// Defined here, where FileBuffer is complete.
RegularFileStream::~RegularFileStream() = default;
