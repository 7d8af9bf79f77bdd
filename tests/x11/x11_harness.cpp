#include "x11_harness.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int childFailureStatus = 127;
constexpr int serverStartMs = 10000;
constexpr int stopGraceMs = 2000;
constexpr int displayNameLimit = 32;

int millisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

int shellStatus(int waitStatus)
{
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

std::vector<char*> argvPointers(const std::vector<std::string>& argv)
{
    std::vector<char*> pointers;
    for (const std::string& a : argv)
        pointers.push_back(const_cast<char*>(a.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// In a freshly forked child: dies with the test process, so that a test
// killed by a time limit leaves no server or program behind.
void dieWithParent(pid_t parent)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(childFailureStatus);
}

void redirect(int targetFd, const std::string& path, int flags)
{
    const int fd = open(path.c_str(), flags, 0644);
    if (fd < 0)
        _exit(childFailureStatus);
    dup2(fd, targetFd);
    close(fd);
}

// Reads from fd until end of file, the deadline, or (if stopAt is not 0)
// a read that ends with stopAt.
std::string readAll(int fd, Clock::time_point deadline, char stopAt = 0)
{
    std::string out;
    char buffer[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, millisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        out.append(buffer, static_cast<size_t>(got));
        if (stopAt != 0 && out.back() == stopAt)
            break;
    }
    return out;
}

}  // namespace

void pauseMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

ToolResult runTool(const std::vector<std::string>& argv, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return ToolResult{-1, ""};
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        dieWithParent(parent);
        dup2(fds[1], STDOUT_FILENO);
        redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
        redirect(STDERR_FILENO, "/dev/null", O_WRONLY);
        std::vector<char*> args = argvPointers(argv);
        execvp(args[0], args.data());
        _exit(childFailureStatus);
    }
    close(fds[1]);
    ToolResult result{-1, ""};
    if (pid > 0)
        result.out = readAll(fds[0], deadline);
    close(fds[0]);
    if (pid < 0)
        return result;
    int waitStatus = 0;
    while (waitpid(pid, &waitStatus, WNOHANG) == 0) {
        if (millisecondsLeft(deadline) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &waitStatus, 0);
            return ToolResult{-1, result.out};
        }
        pauseMs(5);
    }
    result.status = shellStatus(waitStatus);
    return result;
}

bool toolInstalled(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

ChildProcess::~ChildProcess()
{
    stop();
}

bool ChildProcess::start(const std::vector<std::string>& argv, const std::string& dir,
                         const std::string& stdoutPath, const std::string& stderrPath,
                         const std::vector<std::string>& environment, int keepFd)
{
    const pid_t parent = getpid();
    pid = fork();
    if (pid != 0)
        return pid > 0;
    dieWithParent(parent);
    if (chdir(dir.c_str()) != 0)
        _exit(childFailureStatus);
    redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
    redirect(STDOUT_FILENO, stdoutPath, O_WRONLY | O_CREAT | O_APPEND);
    redirect(STDERR_FILENO, stderrPath, O_WRONLY | O_CREAT | O_APPEND);
    for (const std::string& setting : environment)
        putenv(const_cast<char*>(setting.c_str()));
    if (keepFd >= 0)
        fcntl(keepFd, F_SETFD, 0);
    std::vector<char*> args = argvPointers(argv);
    execvp(args[0], args.data());
    _exit(childFailureStatus);
}

bool ChildProcess::running()
{
    if (pid <= 0)
        return false;
    int waitStatus = 0;
    const pid_t done = waitpid(pid, &waitStatus, WNOHANG);
    if (done == 0)
        return true;
    exitStatus = done == pid ? shellStatus(waitStatus) : -1;
    pid = -1;
    return false;
}

bool ChildProcess::waitExit(int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running()) {
        if (millisecondsLeft(deadline) == 0)
            return false;
        pauseMs(10);
    }
    return true;
}

void ChildProcess::stop()
{
    if (!running())
        return;
    kill(pid, SIGTERM);
    if (waitExit(stopGraceMs))
        return;
    kill(pid, SIGKILL);
    int waitStatus = 0;
    waitpid(pid, &waitStatus, 0);
    pid = -1;
}

XServer::XServer(const std::string& logPath)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    const std::vector<std::string> argv{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                        "1600x1200x24", "-nolisten", "tcp"};
    const bool started = server.start(argv, "/", logPath, logPath, {}, fds[1]);
    close(fds[1]);
    // Xvfb writes the display number it chose, then a line end, once it
    // accepts connections.
    const std::string number =
        started ? readAll(fds[0], Clock::now() + std::chrono::milliseconds(serverStartMs), '\n') : "";
    close(fds[0]);
    const size_t end = number.find('\n');
    if (end == std::string::npos || end == 0 || end > static_cast<size_t>(displayNameLimit))
        return;
    name = ":" + number.substr(0, end);
}

WindowCreationWatch::WindowCreationWatch(const std::string& display)
{
    Display* x = XOpenDisplay(display.c_str());
    if (x == nullptr)
        return;
    XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
    XSync(x, False);
    connection = x;
}

WindowCreationWatch::~WindowCreationWatch()
{
    if (connection != nullptr)
        XCloseDisplay(static_cast<Display*>(connection));
}

bool WindowCreationWatch::sawWindowCreated()
{
    Display* x = static_cast<Display*>(connection);
    if (x == nullptr)
        return false;
    XSync(x, False);
    bool created = false;
    while (XPending(x) > 0) {
        XEvent event;
        XNextEvent(x, &event);
        created = created || event.type == CreateNotify || event.type == MapNotify;
    }
    return created;
}
