#include "test_dir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#ifndef PALEOVIZ_SOURCE_DIR
#define PALEOVIZ_SOURCE_DIR "."
#endif

TestDir::TestDir()
{
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) != nullptr)
        previous = cwd;
    char pattern[] = "/tmp/paleoviz-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
    dir = made;
    if (chdir(dir.c_str()) != 0)
        throw std::runtime_error("cannot enter " + dir);
}

TestDir::~TestDir()
{
    if (!previous.empty() && chdir(previous.c_str()) != 0)
        return;
    const std::string command = "rm -rf '" + dir + "'";
    if (std::system(command.c_str()) != 0)
        return;
}

void TestDir::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out << bytes;
}

void TestDir::copyData(const std::string& name) const
{
    std::ifstream in(std::string(PALEOVIZ_SOURCE_DIR) + "/data/" + name, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing data file " + name);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    write(name, bytes.str());
}

std::string gridBytes(const std::vector<int16_t>& samples)
{
    std::string out;
    out.reserve(samples.size() * 2);
    for (int16_t s : samples) {
        const uint16_t u = static_cast<uint16_t>(s);
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

std::string fullGrid(int16_t (*f)(int row, int col))
{
    std::vector<int16_t> samples;
    samples.reserve(540 * 1080);
    for (int r = 0; r < 540; ++r)
        for (int c = 0; c < 1080; ++c)
            samples.push_back(f(r, c));
    return gridBytes(samples);
}

#include <cstdio>
#include <sys/wait.h>

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
