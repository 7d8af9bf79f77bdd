// Output files that never harm another file: every program of the project
// that writes a file writes it through this module.
//
// The bytes go to a temporary made by mkstemp (a fresh name, created
// exclusively, so a planted name or link is never followed) in the folder of
// the file finally written, and are renamed over it only when complete:
// - a symbolic link is followed to the file it names, which is replaced,
//   and the link itself is kept;
// - an existing file keeps its permissions (and, where allowed, its owner);
//   a new one gets those the umask gives;
// - a folder, FIFO, device or socket is refused before anything is written;
// - the temporary is removed on failure, when its owner goes out of scope
//   without committing, and on SIGINT or SIGTERM, after which the process
//   ends with status 128 + the signal (130, 143).
#ifndef PALEOVIZ_FILES_ATOMIC_OUTPUT_H
#define PALEOVIZ_FILES_ATOMIC_OUTPUT_H

#include <cstdio>
#include <new>
#include <string>

// The exit status for an output path refused before any work.
constexpr int outputRefusedStatus = 2;

// Why path cannot be written as an output, or "" when it can: it must name
// (through any links) a regular file or nothing, in a folder that exists and
// can be written. Checked before a program starts computing.
std::string outputProblem(const std::string& path);

class AtomicOutput {
public:
    AtomicOutput() = default;
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // Checks path as outputProblem does and creates the temporary. False
    // with a message naming path.
    bool open(const std::string& path, std::string& error);
    // The temporary's descriptor and name while open.
    int descriptor() const { return fd; }
    const std::string& temporaryPath() const { return temporary; }
    // A stdio stream on the descriptor ("wb"), owned by this object; null
    // when it cannot be made.
    std::FILE* stream();
    // Closes the temporary (flushing the stream) and renames it over the
    // file. False with a message; the temporary is removed either way.
    bool commit(std::string& error);
    // Removes the temporary without touching the file.
    void discard();

private:
    std::string destination;  // what the user named
    std::string target;       // the file the links lead to
    std::string temporary;
    int fd = -1;
    std::FILE* file = nullptr;
    int slot = -1;  // in the signal handler's list
};

// The whole of bytes written atomically to path. False with a message.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

// Runs body() and returns its status; an allocation failure anywhere in it
// prints "PROGRAM: not enough memory ..." on standard error and gives status
// 1 (temporaries are removed as the stack unwinds).
template <typename Body>
int guardAllocation(const char* program, Body body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: not enough memory for this request; ask for fewer values\n", program);
        return 1;
    }
}

#endif
