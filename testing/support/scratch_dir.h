// Scratch folders for tests and benchmarks: a fresh folder under the
// system's temporary directory that is removed, with everything in it, when
// its owner goes out of scope.
#ifndef PALEOVIZ_TESTS_SCRATCH_DIR_H
#define PALEOVIZ_TESTS_SCRATCH_DIR_H

#include <string>

class ScratchDir {
public:
    // Makes "<tmp>/<prefix>-XXXXXX"; path() is empty if that failed.
    explicit ScratchDir(const std::string& prefix = "paleoviz");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return dir; }
    std::string file(const std::string& name) const { return dir + "/" + name; }
    // Writes a file in the folder; false if it could not be written whole.
    bool write(const std::string& name, const std::string& bytes) const;

private:
    std::string dir;
};

// The whole contents of a file, or "" if it cannot be read.
std::string readWholeFile(const std::string& path);

#endif
