// Running a shell command from a test and keeping what it printed.
#ifndef PALEOVIZ_TESTS_COMMAND_RUN_H
#define PALEOVIZ_TESTS_COMMAND_RUN_H

#include <string>

struct CommandRun {
    int status = -1;  // exit status; -1 if it could not run or was killed
    std::string out;  // standard output and standard error, interleaved
};

// Runs command through the shell and waits for it to end.
CommandRun runCommand(const std::string& command);

#endif
