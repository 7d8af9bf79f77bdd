// Option parsing with CLI11; no other file of the program sees it.
#include "app/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const programName = "paleoviz";
const char* const pngSuffix = ".png";
constexpr int degreesPerTurn = 360;

// GLUT's options; all but the two with a value stand alone.
const char* const glutOptionsWithValue[] = {"-display", "-geometry"};
const char* const glutFlags[] = {"-direct", "-indirect", "-iconic", "-gldebug", "-sync"};

bool isOneOf(const char* arg, const char* const* names, size_t count)
{
    return std::any_of(names, names + count, [arg](const char* n) { return std::strcmp(arg, n) == 0; });
}

const char* const description =
    "paleoviz: the Earth's orbit, four globes coloured by daily-mean insolation and a\n"
    "panel of eccentricity, precession and obliquity over 5.8 million years.\n"
    "Without options it reads partetopo, orbit95b and logo.rgba from the working folder\n"
    "(or, for files it lacks there, from the installed data folder) and opens its window.\n"
    "GLUT's own options (-display, -geometry, -iconic, ...) are passed to GLUT.";

// "WxH" with both sides whole numbers of pixels.
bool parseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos || x == 0 || x + 1 == text.size() || text.size() > 11)
        return false;
    const std::string w = text.substr(0, x), h = text.substr(x + 1);
    const auto digits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(w) || !digits(h))
        return false;
    width = std::stoi(w);
    height = std::stoi(h);
    return true;
}

bool endsWith(const std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// Empty when the snapshot can be written there, else what is wrong.
std::string snapshotPathProblem(const std::string& path)
{
    if (!endsWith(path, pngSuffix))
        return "the file name must end in .png";
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (access(folder.c_str(), F_OK) != 0)
        return "there is no folder " + folder;
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder + " cannot be written";
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return "that is a folder";
    if (access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0)
        return "the file exists and cannot be replaced";
    return "";
}

// Checks the values CLI11 has converted; empty when all are acceptable.
std::string valueProblem(ProgramOptions& o, bool timeGiven, const std::string& sizeText)
{
    if (timeGiven && o.timeKyr < 0)
        return "--time " + std::to_string(o.timeKyr) + ": give the age as a positive number of "
               "thousands of years before the present (--time 21 is 21,000 years ago)";
    if (!sizeText.empty()) {
        if (!parseSize(sizeText, o.width, o.height))
            return "--size " + sizeText + ": give the size as WIDTHxHEIGHT in pixels, e.g. 1200x900";
        if (o.width < snapshotMinSide || o.height < snapshotMinSide || o.width > snapshotMaxSide ||
            o.height > snapshotMaxSide)
            return "--size " + sizeText + ": each side must be from " + std::to_string(snapshotMinSide) +
                   " to " + std::to_string(snapshotMaxSide) + " pixels";
    }
    if (!o.snapshot.empty()) {
        const std::string problem = snapshotPathProblem(o.snapshot);
        if (!problem.empty())
            return "--snapshot " + o.snapshot + ": " + problem;
    }
    return "";
}

void addOptions(CLI::App& app, ProgramOptions& options, std::string& sizeText)
{
    app.set_help_flag("-h,--help", "print this help and exit");
    app.add_option("--data", options.dataDir, "read partetopo, orbit95b and logo.rgba from DIR")
        ->option_text("DIR")
        ->check(CLI::ExistingDirectory);
    app.add_option("--orbit", options.orbitFile, "read the orbital series from FILE instead of orbit95b")
        ->option_text("FILE")
        ->check(CLI::ExistingFile);
    app.add_option("--time", options.timeKyr,
                   "start KYR thousand years before the present (21 = 21,000 years ago); "
                   "clamped to the series as the keys clamp")
        ->option_text("KYR");
    app.add_option("--step", options.step, "start with globe mesh step N")
        ->option_text("N")
        ->check(CLI::IsMember({2, 4, 6, 8, 10}));
    app.add_option("--spin", options.spinDegrees,
                   "the globes' spin in whole degrees in the first frame (wrapped to 0..359)")
        ->option_text("DEG");
    auto* snapshot = app.add_option("--snapshot", options.snapshot,
                                    "draw one frame, write it as a PNG file and exit")
                         ->option_text("FILE.png");
    app.add_option("--size", sizeText, "size of the snapshot in pixels (default 600x600)")
        ->option_text("WxH")
        ->needs(snapshot);
}

}  // namespace

void splitGlutOptions(int argc, char** argv, std::vector<char*>& glutArgs, std::vector<char*>& ownArgs)
{
    glutArgs.assign(argv, argv + (argc > 0 ? 1 : 0));
    ownArgs = glutArgs;
    for (int i = 1; i < argc; ++i) {
        if (isOneOf(argv[i], glutOptionsWithValue, std::size(glutOptionsWithValue)) && i + 1 < argc) {
            glutArgs.push_back(argv[i]);
            glutArgs.push_back(argv[++i]);
        } else if (isOneOf(argv[i], glutFlags, std::size(glutFlags))) {
            glutArgs.push_back(argv[i]);
        } else {
            ownArgs.push_back(argv[i]);
        }
    }
    glutArgs.push_back(nullptr);
    ownArgs.push_back(nullptr);
}

OptionsOutcome parseOptions(const std::vector<std::string>& args, ProgramOptions& options,
                            std::string& text)
{
    CLI::App app{description, programName};
    std::string sizeText;
    addOptions(app, options, sizeText);
    // CLI11 takes the arguments last first, without the program name.
    std::vector<std::string> reversed(args.rbegin(), args.rend() - (args.empty() ? 0 : 1));
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        text = app.help();
        return OptionsOutcome::help;
    } catch (const CLI::ParseError& e) {
        text = e.what();
        return OptionsOutcome::bad;
    }
    // Negative spins count the other way round.
    if (app.count("--spin") > 0)
        options.spinDegrees = (options.spinDegrees % degreesPerTurn + degreesPerTurn) % degreesPerTurn;
    text = valueProblem(options, app.count("--time") > 0, sizeText);
    return text.empty() ? OptionsOutcome::run : OptionsOutcome::bad;
}
