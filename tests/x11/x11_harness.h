// Runs the real program on a private X server: Xvfb, the program as a child
// process in a temporary working directory, xdotool for finding the window
// and sending input, ImageMagick's import for screen captures. Every process
// started here is killed and reaped when its owner goes out of scope, also
// after a failed assertion.
#ifndef PALEOVIZ_TESTS_X11_X11_HARNESS_H
#define PALEOVIZ_TESTS_X11_X11_HARNESS_H

#include "ppm_image.h"
#include "work_data.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

// Exit status as a shell reports it: 0..255, or -1 after a signal or when
// the process could not be run or timed out.
struct ToolResult {
    int status;
    std::string out;
};

// Runs argv[0] (looked up in PATH) with its standard output captured and its
// error output discarded; kills it after timeoutMs milliseconds.
ToolResult runTool(const std::vector<std::string>& argv, int timeoutMs);

void pauseMs(int ms);

// True if an executable of that name is on the PATH.
bool toolInstalled(const std::string& name);

// A child process that is killed and reaped by the destructor.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv in dir with standard output and error appended to the
    // given files, the extra "NAME=value" settings added to the environment,
    // and keepFd (if not -1) left open across the exec. Returns false if the
    // process could not be created.
    bool start(const std::vector<std::string>& argv, const std::string& dir,
               const std::string& stdoutPath, const std::string& stderrPath,
               const std::vector<std::string>& environment, int keepFd = -1);
    // Waits up to timeoutMs for the process to end; true if it has ended.
    bool waitExit(int timeoutMs);
    bool running();
    // The exit status once ended (see ToolResult).
    int status() const { return exitStatus; }
    // Ends the process (TERM, then KILL) and reaps it.
    void stop();

private:
    pid_t pid = -1;
    int exitStatus = -1;
};

// A private Xvfb server on the first free display.
class XServer {
public:
    // Starts Xvfb with a 1600 x 1200 x 24 screen; display() is empty if it
    // did not come up within a few seconds.
    explicit XServer(const std::string& logPath);
    const std::string& display() const { return name; }

private:
    ChildProcess server;
    std::string name;
};

// Notes every top-level window created on the display after construction.
class WindowCreationWatch {
public:
    explicit WindowCreationWatch(const std::string& display);
    ~WindowCreationWatch();
    WindowCreationWatch(const WindowCreationWatch&) = delete;
    WindowCreationWatch& operator=(const WindowCreationWatch&) = delete;

    bool connected() const { return connection != nullptr; }
    // True if a window was created since construction.
    bool sawWindowCreated();

private:
    void* connection = nullptr;  // the Xlib Display
};

// Window geometry in root-window pixels.
struct WindowGeometry {
    int x = -1, y = -1, width = -1, height = -1;
};

// One test: a fresh X server, a fresh working directory and at most one run
// of the program.
class X11Test : public ::testing::Test {
protected:
    static constexpr const char* windowCaption = "Paleoclimatology Visualization";
    static constexpr int windowWaitMs = 15000;
    static constexpr int exitWaitMs = 10000;
    static constexpr int pictureWaitMs = 8000;

    void SetUp() override;
    void TearDown() override;

    // Puts the three start-up files into the working directory, leaving out
    // the one named (pass nullptr to provide all).
    void provideDataExcept(const char* missing);
    // Starts the program in the working directory, or in dir, with the
    // given command-line arguments.
    void startProgram(const std::vector<std::string>& args = {}, const std::string& dir = "");
    // Waits for the program's visible window; returns its id or "" if none
    // appeared (or the program ended) within windowWaitMs.
    std::string waitForWindow();
    // Finds the window and waits until the first frame shows the Sun.
    void waitForFirstFrame();
    WindowGeometry geometry();
    std::string windowName();

    Image capture();
    // Captures until the condition holds or timeoutMs passes; returns the
    // last capture either way.
    Image captureUntil(const std::function<bool(const Image&)>& done, int timeoutMs);
    // Captures until the region differs from the reference by at least
    // minChanged pixels.
    Image captureChanged(const Image& reference, Region region, int minChanged);

    // Gives the window the keyboard focus and types the key names
    // (xdotool/X keysym names such as "y", "7", "ampersand", "Escape").
    void pressKeys(const std::vector<std::string>& keys);
    void pressKeyTimes(const std::string& key, int times);
    // Left click and left-button drag at window coordinates.
    void click(int x, int y);
    void drag(int fromX, int fromY, int toX, int toY);

    // Presses Escape and waits for the program to end; returns its status.
    int quitWithEscape();
    // Everything the program wrote to standard output so far.
    std::string programOutput() const;
    // Everything it wrote to standard error so far.
    std::string programErrors() const;

    std::unique_ptr<WorkDir> work;
    std::unique_ptr<XServer> xServer;
    ChildProcess program;
    std::string window;
    std::deque<Image> recentCaptures;  // oldest first
};

#endif
