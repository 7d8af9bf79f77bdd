// A temporary working directory for tests that read the program's data
// files by their fixed names. The constructor makes the directory and
// changes into it; the destructor changes back and removes it.
#ifndef PALEOVIZ_TESTS_TEST_DIR_H
#define PALEOVIZ_TESTS_TEST_DIR_H

#include <cstdint>
#include <string>
#include <functional>
#include <vector>

class TestDir {
public:
    TestDir();
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::string& path() const { return dir; }
    // Writes a file in the directory.
    void write(const std::string& name, const std::string& bytes) const;
    // Copies a file of the project's data/ folder into the directory.
    void copyData(const std::string& name) const;

private:
    std::string dir;
    std::string previous;
};

// Little-endian bytes of 16-bit samples, as an elevation grid file holds them.
std::string gridBytes(const std::vector<int16_t>& samples);
// A full 540 x 1080 grid whose sample is f(row, column).
std::string fullGrid(int16_t (*f)(int row, int col));



// Runs f in a child process with its standard output captured. The result
// holds the exit status as the shell sees it (0..255; -1 if killed by a
// signal) and everything the child wrote to standard output.
struct ChildResult {
    int status;
    std::string out;
};
ChildResult runInChild(const std::function<void()>& f);

#endif
