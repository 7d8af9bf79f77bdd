// Data files are read only when they are regular files or pipes (an
// anonymous pipe such as a shell's <(...), or a FIFO): a device such as
// /dev/zero or a socket would block or never end, and a folder holds no
// data. Nothing here waits for a writer: a name is opened without blocking,
// checked, and closed again when it is neither. A pipe is then read to its
// end; a FIFO that nobody writes reads as empty at once.
#ifndef PALEOVIZ_FILES_REGULAR_INPUT_H
#define PALEOVIZ_FILES_REGULAR_INPUT_H

#include <cstdio>
#include <istream>
#include <memory>
#include <string>

#include <sys/types.h>

// What refusal says of a folder.
extern const char* const folderRefusal;

// What a file of this type is: "" for a regular file, folderRefusal, "a
// FIFO", "a device", "a socket" or "not a regular file".
const char* fileKind(mode_t mode);

// Whether data is read from a file of this type: a regular file or a pipe.
bool isReadableKind(mode_t mode);

// Opens path for reading (stdio mode "r" or "rb") when it is a regular file
// or a pipe. Otherwise returns null with refusal "" (it does not exist or
// cannot be opened; errno says why), folderRefusal, or what it is ("a
// device", "a socket").
std::FILE* openRegularFile(const char* path, const char* mode, std::string& refusal);

// The message for a path openRegularFile refused: "PATH is a device, not a
// regular file", or for a path that cannot be opened "cannot open "PATH"
// for reading".
std::string inputRefusalMessage(const std::string& path, const std::string& refusal);

// openRegularFile for the window's data files, whose messages are fixed:
// a name that is missing, unreadable or a folder gives null silently, as
// before, and the caller prints its usual message; a device or socket gives
// null after one line on standard output naming it.
std::FILE* openDataFile(const char* path, const char* mode);

// A text stream on a regular file or a pipe; not good() (refusal set as
// above) when path is neither or cannot be opened.
class RegularFileStream : public std::istream {
public:
    explicit RegularFileStream(const std::string& path);
    ~RegularFileStream() override;
    RegularFileStream(const RegularFileStream&) = delete;
    RegularFileStream& operator=(const RegularFileStream&) = delete;

    std::string refusal;

private:
    // The stream buffer over the open file: a detail of regular_input.cpp,
    // so that no library's own buffer type shows here.
    class FileBuffer;
    std::unique_ptr<FileBuffer> buffer;
};

#endif
