#include "x11_harness.h"

#include "window_regions.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#ifndef PALEOVIZ_BINARY
#define PALEOVIZ_BINARY "paleoviz"
#endif
#ifndef PALEOVIZ_BINARY_DIR
#define PALEOVIZ_BINARY_DIR "."
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr int toolTimeoutMs = 5000;
constexpr int searchSliceMs = 500;
constexpr int pollIntervalMs = 50;
constexpr int keyDelayMs = 15;
const char* const dragPauseSeconds = "0.1";  // between the moves of a drag
constexpr int firstFrameSunPixels = 100;
constexpr size_t keptCaptures = 4;  // left behind by a failing test

const char* const stdoutName = "stdout.txt";
const char* const stderrName = "stderr.txt";
const char* const serverLogName = "xvfb.log";

bool pastDeadline(Clock::time_point deadline)
{
    return Clock::now() >= deadline;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Value of "NAME=number" in xdotool's --shell output, or -1.
int shellValue(const std::string& text, const std::string& name)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(name + "=", 0) == 0)
            return std::atoi(line.c_str() + name.size() + 1);
    return -1;
}

// The folder in the build tree where a failing test leaves its captures
// and logs.
std::string failureFolder()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    return std::string(PALEOVIZ_BINARY_DIR) + "/Testing/x11-failures/" + name;
}

}  // namespace

void X11Test::SetUp()
{
    for (const char* tool : {"Xvfb", "xdotool", "import"})
        if (!toolInstalled(tool))
            GTEST_SKIP() << tool << " is not installed: the window tests need Xvfb, xdotool and "
                         << "ImageMagick's import";
    work = std::make_unique<WorkDir>();
    ASSERT_FALSE(work->path().empty()) << "cannot make a temporary working directory";
    xServer = std::make_unique<XServer>(work->file(serverLogName));
    ASSERT_FALSE(xServer->display().empty())
        << "Xvfb did not report a display:\n" << readFile(work->file(serverLogName));
    setenv("DISPLAY", xServer->display().c_str(), 1);
}

void X11Test::TearDown()
{
    program.stop();
    if (!HasFailure() || !work || work->path().empty())
        return;
    const std::string folder = failureFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const char* name : {stdoutName, stderrName, serverLogName})
        std::filesystem::copy_file(work->file(name), folder + "/" + name,
                                   std::filesystem::copy_options::overwrite_existing, error);
    for (size_t i = 0; i < recentCaptures.size(); ++i)
        writePpm(recentCaptures[i], folder + "/capture-" + std::to_string(i + 1) + ".ppm");
    std::cerr << "window test artefacts left in " << folder << "\n";
}

void X11Test::provideDataExcept(const char* missing)
{
    for (const char* name : {gridFileName, seriesFileName, logoFileName}) {
        if (missing == nullptr || std::string(name) != missing) {
            ASSERT_TRUE(work->provide(name)) << "cannot write " << name;
        }
    }
    for (const std::string& name : work->standInsUsed())
        std::cerr << "note: data/" << name << " is missing or incomplete; using a generated stand-in\n";
}

void X11Test::startProgram(const std::vector<std::string>& args, const std::string& dir)
{
    const std::vector<std::string> environment{"DISPLAY=" + xServer->display(),
                                               "LIBGL_ALWAYS_SOFTWARE=1"};
    std::vector<std::string> argv{PALEOVIZ_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    ASSERT_TRUE(program.start(argv, dir.empty() ? work->path() : dir, work->file(stdoutName),
                              work->file(stderrName), environment))
        << "cannot start " << PALEOVIZ_BINARY;
}

std::string X11Test::waitForWindow()
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(windowWaitMs);
    const std::string pattern = std::string("^") + windowCaption + "$";
    while (program.running() && !pastDeadline(deadline)) {
        const ToolResult found =
            runTool({"xdotool", "search", "--sync", "--onlyvisible", "--name", pattern}, searchSliceMs);
        if (found.status == 0 && !found.out.empty())
            return found.out.substr(0, found.out.find('\n'));
    }
    return "";
}

void X11Test::waitForFirstFrame()
{
    window = waitForWindow();
    ASSERT_FALSE(window.empty()) << "no window appeared; program output:\n" << programOutput();
    const Image first = captureUntil(
        [](const Image& image) { return countPixels(image, sunRegion, isSunYellow) >= firstFrameSunPixels; },
        pictureWaitMs);
    ASSERT_FALSE(first.empty()) << "the window could not be captured";
}

WindowGeometry X11Test::geometry()
{
    const ToolResult shell = runTool({"xdotool", "getwindowgeometry", "--shell", window}, toolTimeoutMs);
    WindowGeometry g;
    g.x = shellValue(shell.out, "X");
    g.y = shellValue(shell.out, "Y");
    g.width = shellValue(shell.out, "WIDTH");
    g.height = shellValue(shell.out, "HEIGHT");
    return g;
}

std::string X11Test::windowName()
{
    const ToolResult name = runTool({"xdotool", "getwindowname", window}, toolTimeoutMs);
    return name.out.substr(0, name.out.find('\n'));
}

Image X11Test::capture()
{
    const ToolResult shot = runTool({"import", "-window", window, "-depth", "8", "ppm:-"}, toolTimeoutMs);
    recentCaptures.push_back(parsePpm(shot.out));
    if (recentCaptures.size() > keptCaptures)
        recentCaptures.pop_front();
    return recentCaptures.back();
}

Image X11Test::captureUntil(const std::function<bool(const Image&)>& done, int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Image image = capture();
    while (!(!image.empty() && done(image)) && !pastDeadline(deadline)) {
        pauseMs(pollIntervalMs);
        image = capture();
    }
    return image;
}

Image X11Test::captureChanged(const Image& reference, Region region, int minChanged)
{
    return captureUntil(
        [&](const Image& image) { return countChanged(reference, image, region) >= minChanged; },
        pictureWaitMs);
}

void X11Test::pressKeys(const std::vector<std::string>& keys)
{
    // Without a window manager nothing gives the window the focus; X then
    // sends key events to the window under the pointer, so the focus is set
    // explicitly and the keys go through the XTEST extension like typing.
    runTool({"xdotool", "windowfocus", "--sync", window}, toolTimeoutMs);
    std::vector<std::string> argv{"xdotool", "key", "--delay", std::to_string(keyDelayMs)};
    argv.insert(argv.end(), keys.begin(), keys.end());
    const int typingMs = static_cast<int>(keys.size()) * keyDelayMs * 2;
    ASSERT_EQ(runTool(argv, toolTimeoutMs + typingMs).status, 0) << "xdotool key failed";
}

void X11Test::pressKeyTimes(const std::string& key, int times)
{
    pressKeys(std::vector<std::string>(static_cast<size_t>(times), key));
}

void X11Test::click(int x, int y)
{
    ASSERT_EQ(runTool({"xdotool", "mousemove", "--window", window, std::to_string(x), std::to_string(y),
                       "click", "1"},
                      toolTimeoutMs)
                  .status,
              0)
        << "xdotool click failed";
}

void X11Test::drag(int fromX, int fromY, int toX, int toY)
{
    const std::string pause = dragPauseSeconds;
    const std::vector<std::string> argv{
        "xdotool", "mousemove", "--window", window, std::to_string(fromX), std::to_string(fromY),
        "mousedown", "1", "sleep", pause,
        "mousemove", "--window", window, std::to_string((fromX + toX) / 2), std::to_string((fromY + toY) / 2),
        "sleep", pause,
        "mousemove", "--window", window, std::to_string(toX), std::to_string(toY),
        "sleep", pause, "mouseup", "1"};
    ASSERT_EQ(runTool(argv, toolTimeoutMs).status, 0) << "xdotool drag failed";
}

int X11Test::quitWithEscape()
{
    pressKeys({"Escape"});
    if (!program.waitExit(exitWaitMs))
        return -2;
    return program.status();
}

std::string X11Test::programOutput() const
{
    return work ? readFile(work->file(stdoutName)) : "";
}

std::string X11Test::programErrors() const
{
    return work ? readFile(work->file(stderrName)) : "";
}
