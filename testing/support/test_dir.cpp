#include "test_dir.h"

#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#ifndef PALEOVIZ_SOURCE_DIR
#define PALEOVIZ_SOURCE_DIR "."
#endif

TestDir::TestDir()
{
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) != nullptr)
        previous = cwd;
    if (scratch.path().empty())
        throw std::runtime_error("cannot make a temporary directory");
    if (chdir(scratch.path().c_str()) != 0)
        throw std::runtime_error("cannot enter " + scratch.path());
}

TestDir::~TestDir()
{
    // The scratch folder is removed after this, wherever the process stands.
    if (!previous.empty() && chdir(previous.c_str()) != 0)
        return;
}

void TestDir::write(const std::string& name, const std::string& bytes) const
{
    scratch.write(name, bytes);
}

void TestDir::copyData(const std::string& name) const
{
    const std::string source = std::string(PALEOVIZ_SOURCE_DIR) + "/data/" + name;
    if (access(source.c_str(), R_OK) != 0)
        throw std::runtime_error("missing data file " + name);
    write(name, readWholeFile(source));
}

ChildResult runInChild(const std::function<void()>& f)
{
    std::fflush(stdout);
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        f();
        std::fflush(stdout);
        _exit(0);
    }
    close(fds[1]);
    ChildResult result{-1, ""};
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        result.out.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}
