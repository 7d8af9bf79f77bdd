// A scratch working directory for tests that read the program's data files
// by their fixed names: the constructor makes the directory and changes
// into it; the destructor changes back and removes it. Also runs code in a
// child process, for paths that end the process.
#ifndef PALEOVIZ_TESTS_TEST_DIR_H
#define PALEOVIZ_TESTS_TEST_DIR_H

#include "scratch_dir.h"
#include "synthetic_data.h"

#include <functional>
#include <string>

class TestDir {
public:
    TestDir();
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::string& path() const { return scratch.path(); }
    // Writes a file in the directory.
    void write(const std::string& name, const std::string& bytes) const;
    // Copies a file of the project's data/ folder into the directory.
    void copyData(const std::string& name) const;

private:
    ScratchDir scratch{"paleoviz-test"};
    std::string previous;
};

// Runs f in a child process with its standard output captured. The result
// holds the exit status as the shell sees it (0..255; -1 if killed by a
// signal) and everything the child wrote to standard output.
struct ChildResult {
    int status;
    std::string out;
};
ChildResult runInChild(const std::function<void()>& f);

#endif
