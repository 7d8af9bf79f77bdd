// Option parsing with CLI11; no other file of the program sees it.
#include "app/options.h"

#include "files/atomic_output.h"
#include "files/regular_input.h"
#include "orbit/elements.h"
#include "paleoviz_version.h"
#include "scene/paleo_scene.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sys/stat.h>

namespace {

const char* const programName = "paleoviz";
const char* const pngSuffix = ".png";
constexpr int degreesPerTurn = 360;
constexpr long meshSteps[] = {2, 4, 6, 8, 10};

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
    "GLUT's own options (-display, -geometry, -iconic, ...) are passed to GLUT; -geometry\n"
    "WxH+X+Y gives the window's size and place instead of 600x600 at (600, 400).\n"
    "Times are in kyr with the time axis' sign: --time -21 is 21,000 years ago.";

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

// A decimal whole number of any length: its sign, its magnitude clamped to
// wholeNumberLimit (far past any series or option range, so that a larger
// number acts as the limit does) and its exact remainder in whole turns.
struct WholeNumber {
    bool negative = false;
    long magnitude = 0;
    long turnRemainder = 0;
};
constexpr long wholeNumberLimit = 1000000000;

// The whole of text as an optional sign and digits ("010" is ten, never
// octal; no hexadecimal), however many digits. Clamping digit by digit
// keeps every step within range.
bool parseWhole(const std::string& text, WholeNumber& number)
{
    const size_t digitsFrom = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (text.size() == digitsFrom)
        return false;
    number = WholeNumber{text[0] == '-', 0, 0};
    for (size_t i = digitsFrom; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        const long digit = text[i] - '0';
        number.magnitude = std::min(wholeNumberLimit, number.magnitude * 10 + digit);
        number.turnRemainder = (number.turnRemainder * 10 + digit) % degreesPerTurn;
    }
    return true;
}

// The whole of text as a decimal whole number, clamped to +-wholeNumberLimit.
bool parseDecimal(const std::string& text, long& value)
{
    WholeNumber number;
    if (!parseWhole(text, number))
        return false;
    value = number.negative ? -number.magnitude : number.magnitude;
    return true;
}

// A number written with a fraction or exponent, which the window cannot use.
bool looksFractional(const std::string& text)
{
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && text.find_first_of("xXnN") == std::string::npos;
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
    return outputProblem(path);
}

// The texts of the options that take whole numbers, read here in decimal.
struct NumberTexts {
    std::string time, step, spin, size, elements, caps;
};

// --time: kyr on the time axis, 0 or negative; sets the age in kyr.
std::string timeProblem(const std::string& text, int& age)
{
    long kyr = 0;
    if (!parseDecimal(text, kyr)) {
        if (looksFractional(text))
            return "--time " + text + ": give a whole number of thousands of years (the window "
                   "steps in whole kyr), e.g. --time -21";
        return "--time " + text + ": not a whole number of thousands of years";
    }
    if (kyr > 0) {
        // The digits as given (without leading zeros), however many.
        const std::string digits = text.substr(std::min(text.find_first_not_of("+0"), text.size()));
        return "--time " + text + ": times are negative in the past, as on the time axis: "
               "--time -" + digits + " is " + digits + ",000 years ago";
    }
    age = static_cast<int>(-kyr);  // times past the series give its last record
    return "";
}

// The whole of text as one finite decimal number.
bool parseReal(const std::string& text, double& value)
{
    if (text.empty() || text.find_first_of("xXnNiI") != std::string::npos)
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && std::isfinite(value);
}

// --elements E,OBL,VARPI, each checked as the series file's values are.
std::string elementsProblem(const std::string& text, ProgramOptions& o)
{
    const std::string start = "--elements " + text + ": ";
    const size_t first = text.find(',');
    const size_t second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos || text.find(',', second + 1) != std::string::npos)
        return start + "give three numbers E,OBL,VARPI: eccentricity, obliquity and precession "
                       "angle in degrees, e.g. --elements 0.0167,23.44,102.9";
    double e = 0, obl = 0, varpi = 0;
    if (!parseReal(text.substr(0, first), e))
        return start + "the eccentricity must be a number from 0 up to (not including) 1";
    if (!parseReal(text.substr(first + 1, second - first - 1), obl))
        return start + "the obliquity must be a number of degrees from 0 to 90";
    if (!parseReal(text.substr(second + 1), varpi))
        return start + "the precession angle must be a finite number of degrees, within +-1e6";
    // Whether they are an orbit at all: the rule every front end shares.
    const std::string problem = orbit::elementsProblem(e, obl, varpi);
    if (!problem.empty())
        return start + problem;
    // A drawing limit, as in the series file: a larger angle turns the view
    // into nothing.
    if (!(std::fabs(varpi) <= maxAngleDegrees))
        return start + "the precession angle must be a finite number of degrees, within +-1e6";
    o.holdElements = true;
    o.heldEcc = e;
    o.heldObl = obl;
    o.heldPrec = varpi;
    return "";
}

std::string capsProblem(const std::string& text, ProgramOptions& o)
{
    if (text != "value" && text != "grey")
        return "--caps " + text + ": the caps are coloured by \"value\" or left \"grey\"";
    o.capsByValue = text == "value";
    return "";
}

// Checks the values CLI11 has converted; empty when all are acceptable.
std::string valueProblem(ProgramOptions& o, const CLI::App& app, const NumberTexts& texts)
{
    long number = 0;
    if (app.count("--time") > 0) {
        const std::string problem = timeProblem(texts.time, o.timeKyr);
        if (!problem.empty())
            return problem;
    }
    if (app.count("--step") > 0) {
        if (!parseDecimal(texts.step, number) || !std::count(std::begin(meshSteps), std::end(meshSteps), number))
            return "--step " + texts.step + ": the mesh step is one of 2, 4, 6, 8 and 10";
        o.step = static_cast<int>(number);
    }
    // Negative spins count the other way round.
    if (app.count("--spin") > 0) {
        WholeNumber spin;
        if (!parseWhole(texts.spin, spin))
            return "--spin " + texts.spin + ": give the spin in whole degrees";
        const long turned = spin.negative ? degreesPerTurn - spin.turnRemainder : spin.turnRemainder;
        o.spinDegrees = static_cast<int>(turned % degreesPerTurn);
    }
    if (app.count("--elements") > 0) {
        const std::string problem = elementsProblem(texts.elements, o);
        if (!problem.empty())
            return problem;
    }
    if (app.count("--caps") > 0) {
        const std::string problem = capsProblem(texts.caps, o);
        if (!problem.empty())
            return problem;
    }
    const std::string& sizeText = texts.size;
    if (app.count("--snapshot") > 0 && o.snapshot.empty())
        return "--snapshot: give the name of a .png file to write";
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

// A device would hang the reader or never end; a pipe is read to its end.
const CLI::Validator regularFile(
    [](std::string& path) {
        struct stat status;
        return stat(path.c_str(), &status) == 0 && !isReadableKind(status.st_mode)
                   ? path + " is not a regular file"
                   : std::string();
    },
    "FILE");

void addOptions(CLI::App& app, ProgramOptions& options, NumberTexts& texts)
{
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", std::string(programName) + " " + paleovizVersion, "print the version and exit");
    app.add_option("--data", options.dataDir, "read partetopo, orbit95b and logo.rgba from DIR")
        ->option_text("DIR")
        ->check(CLI::ExistingDirectory);
    app.add_option("--orbit", options.orbitFile, "read the orbital series from FILE instead of orbit95b")
        ->option_text("FILE")
        ->check(CLI::ExistingFile)
        ->check(regularFile);
    app.add_option("--time", texts.time,
                   "start at time KYR in whole thousands of years, negative in the past as on the "
                   "time axis (-21 = 21,000 years ago); clamped to the series as the keys clamp")
        ->option_text("KYR");
    app.add_option("--step", texts.step, "start with globe mesh step N: 2, 4, 6, 8 or 10")
        ->option_text("N");
    app.add_option("--spin", texts.spin,
                   "the globes' spin in whole degrees in the first frame (wrapped to 0..359)")
        ->option_text("DEG");
    app.add_option("--elements", texts.elements,
                   "hold a hypothetical orbit instead of the series: eccentricity (0 to below 1), "
                   "obliquity (0 to 90 degrees) and precession angle (degrees), e.g. 0.0167,23.44,102.9")
        ->option_text("E,OBL,VARPI");
    app.add_option("--caps", texts.caps,
                   "colour the solstice globes' polar caps by their value (\"value\": polar day "
                   "by its sunlight, polar night as no sunlight) or grey (\"grey\", the default)")
        ->option_text("MODE");
    auto* snapshot = app.add_option("--snapshot", options.snapshot,
                                    "draw one frame, write it as a PNG file and exit")
                         ->option_text("FILE.png");
    app.add_option("--size", texts.size, "size of the snapshot in pixels (default 600x600)")
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

namespace {

// Digits at text[at...]; false when there are none or more than nine.
bool readDigits(const std::string& text, size_t& at, long& value)
{
    const size_t from = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    if (at == from || at - from > 9)
        return false;
    value = std::stol(text.substr(from, at - from));
    return true;
}

bool parseGeometry(const std::string& text, GlutGeometry& geometry)
{
    size_t at = !text.empty() && text[0] == '=' ? 1 : 0;
    long width = 0, height = 0, offset = 0;
    if (at < text.size() && text[at] != '+' && text[at] != '-') {
        if (!readDigits(text, at, width) || at >= text.size() || (text[at] != 'x' && text[at] != 'X'))
            return false;
        ++at;
        if (!readDigits(text, at, height) || width < 1 || height < 1 || width > maxWindowSide ||
            height > maxWindowSide)
            return false;
        geometry.hasSize = true;
    }
    if (at < text.size()) {
        for (int k = 0; k < 2; ++k) {
            if (at >= text.size() || (text[at] != '+' && text[at] != '-'))
                return false;
            ++at;
            if (!readDigits(text, at, offset) || offset > maxWindowSide)
                return false;
        }
        geometry.hasPlace = true;
    }
    return at == text.size() && (geometry.hasSize || geometry.hasPlace);
}

}  // namespace

bool readGeometry(const std::vector<char*>& glutArgs, GlutGeometry& geometry, std::string& text)
{
    for (size_t i = 0; i + 1 < glutArgs.size(); ++i) {
        if (glutArgs[i + 1] == nullptr || std::strcmp(glutArgs[i], "-geometry") != 0)
            continue;
        geometry = GlutGeometry{};
        if (!parseGeometry(glutArgs[i + 1], geometry)) {
            text = std::string("-geometry ") + glutArgs[i + 1] +
                   ": give WIDTHxHEIGHT+X+Y (or a part of it), e.g. 800x800+100+50, each side 1 to " +
                   std::to_string(maxWindowSide);
            return false;
        }
    }
    return true;
}

OptionsOutcome parseOptions(const std::vector<std::string>& args, ProgramOptions& options,
                            std::string& text)
{
    CLI::App app{description, programName};
    NumberTexts texts;
    addOptions(app, options, texts);
    // CLI11 takes the arguments last first, without the program name.
    std::vector<std::string> reversed(args.rbegin(), args.rend() - (args.empty() ? 0 : 1));
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        text = app.help();
        return OptionsOutcome::help;
    } catch (const CLI::CallForVersion& e) {
        text = std::string(e.what()) + "\n";
        return OptionsOutcome::help;
    } catch (const CLI::ParseError& e) {
        text = e.what();
        return OptionsOutcome::bad;
    }
    text = valueProblem(options, app, texts);
    return text.empty() ? OptionsOutcome::run : OptionsOutcome::bad;
}
