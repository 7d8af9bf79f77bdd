// paleoviz-insolation: orbital elements and top-of-atmosphere insolation in
// W/m^2 at any latitude, season and time, as CSV or CF-convention NetCDF.
// Exit status 0 on success, 2 for a wrong command line or input, 1 when the
// output cannot be written. Messages go to standard error.
#include "commands.h"
#include "date_options.h"
#include "insolation/registry.h"
#include "value_lists.h"

#include "files/atomic_output.h"
#include "paleoviz_version.h"
#include "files/program_guard.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <unistd.h>

namespace {

constexpr int exitWriteFailure = 1;
constexpr int exitBadInput = 2;
const char* const programName = "paleoviz-insolation";
const char* const netcdfSuffix = ".nc";
// The command that lists the registry instead of computing.
const char* const registryCommand = "quantities";

struct Options {
    Request request;
    std::vector<std::string> times{"0"};
    // The texts of each list argument of the registry, before expansion.
    std::map<const insolation::ArgumentInfo*, std::vector<std::string>> lists;
    std::vector<std::string> elements;  // "E,OBL,VARPI" each
    std::vector<std::string> dates;     // ISO 8601, --date
    bool timeGiven = false;             // --time given, not its default
    std::string orbit = orbit::solutionRegistry[0].key;  // the default solution
    std::string output;
    std::string format;  // "" = from the output's name
    bool longForm = false;
};

// Numbers are read in decimal: "010" is ten, never octal or hexadecimal.
const CLI::Validator decimalNumber(
    [](std::string& text) {
        double value = 0;
        return parseNumber(text, value) ? std::string() : "\"" + text + "\" is not a decimal number";
    },
    "NUMBER");

// Adds a number option checked as decimalNumber. A NaN default stands for
// a value worked out from others (the model calendar's year) and is not
// shown.
CLI::Option* addNumber(CLI::App* command, const std::string& name, double& value, const std::string& what)
{
    CLI::Option* option = command->add_option(name, value, what)->check(decimalNumber);
    return std::isnan(value) ? option : option->capture_default_str();
}

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The command line as one text, each argument quoted for a POSIX shell
// where it needs it, for the outputs' history.
std::string commandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool plain = !arg.empty() && arg.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                                                 "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                                                                 "-_.,:/=+@%") == std::string::npos;
        std::string quoted = "'";
        for (char c : arg)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += (i == 0 ? "" : " ") + (plain ? arg : quoted + "'");
    }
    return line;
}

int fail(int status, const std::string& message)
{
    std::fprintf(stderr, "paleoviz-insolation: %s\n", message.c_str());
    return status;
}

// The solutions of the orbit library's registry, one line each, with the
// elements it gives, its span and the span its authors call reliable.
std::string solutionsHelp()
{
    std::string text = "Solutions for --orbit (kyr, negative in the past):\n";
    for (int i = 0; i < orbit::solutionCount; ++i) {
        const orbit::SolutionInfo& s = orbit::solutionRegistry[i];
        char line[320];
        std::snprintf(line, sizeof line, "  %-11s %s%s; %s; %s to %s from %s; reliable %s\n", s.key,
                      s.name, i == 0 ? " (the default)" : "", orbit::availableElementsText(s),
                      formatNumber(s.span.oldest).c_str(), formatNumber(s.span.newest).c_str(),
                      s.origin,
                      s.reliableOldest > s.span.oldest
                          ? ("from " + formatNumber(s.reliableOldest)).c_str()
                          : "throughout");
        text += line;
    }
    return text + "Solutions of e only serve `elements` alone; insolation needs all three elements.\n";
}

std::string orbitHelp()
{
    return "a solution (see paleoviz-insolation --help: la2004, the default, and the rest) or an "
           "orbit95b series file (interpolated in e*exp(i*varpi) and obliquity)";
}

// The options every command has: where the orbit comes from and where the
// table goes.
CLI::App* addCommand(CLI::App& app, Options& o, const std::string& name, const std::string& what,
                     const std::string& example)
{
    CLI::App* c = app.add_subcommand(name, what);
    c->footer("Example:\n  " + example);
    c->add_option("-t,--time", o.times,
                  "times in kyr, negative in the past (-21 is 21,000 years ago); numbers or "
                  "FROM:TO:STEP ranges, e.g. -1000:0:1")
        ->delimiter(',')
        ->capture_default_str();
    auto* time = c->get_option("--time");
    auto* elements = c->add_option("--elements", o.elements,
        "orbital elements given by hand instead of --time, repeatable: E,OBL,VARPI = eccentricity "
        "[0, 1), obliquity in degrees [0, 90], longitude of perihelion varpi in degrees from the "
        "moving March equinox (heliocentric, any finite number); rows are labelled by them, e.g. "
        "--elements 0.0167,23.44,102.9")
        ->type_name("E,OBL,VARPI");
    elements->excludes(time);
    auto* orbitOption = c->add_option("--orbit", o.orbit, orbitHelp())->capture_default_str();
    elements->excludes(orbitOption);
    c->add_option("-o,--output", o.output,
                  "output file (default standard output; written whole or not at all; a name ending "
                  "in .nc is written as NetCDF)");
    c->add_option("--format", o.format, "csv or netcdf (CF-1.8, deflated; needs --output); "
                                        "default: netcdf for FILE.nc, else csv")
        ->check(CLI::IsMember({"csv", "netcdf"}));
    c->add_flag("--long", o.longForm,
                "CSV with one row per time, latitude and longitude or day instead of one per time");
    return c;
}

// The choices of an argument, refused with the library's message, the one
// the Python module gives.
CLI::Validator choiceValidator(const insolation::ArgumentUse& use)
{
    std::string listed;
    for (const char* choice : use.choices)
        listed += std::string(listed.empty() ? "" : ",") + choice;
    return CLI::Validator([use](std::string& value) { return insolation::choiceProblem(use, value); },
                          "{" + listed + "}");
}

// One argument of a quantity as an option of its command.
CLI::Option* addArgument(CLI::App* c, Options& o, const insolation::ArgumentUse& use)
{
    const insolation::ArgumentInfo& info = *use.info;
    switch (use.shape) {
    case insolation::ArgumentShape::list:
        return c->add_option(info.option, o.lists[&info], use.help)->delimiter(',');
    case insolation::ArgumentShape::one:
        return c->add_option(info.option, o.lists[&info], use.help);
    case insolation::ArgumentShape::number:
        return addNumber(c, info.option, info.number(o.request), use.help);
    case insolation::ArgumentShape::flag:
        return c->add_flag(info.option, info.flag(o.request), use.help);
    case insolation::ArgumentShape::choice:
        return c->add_option(info.option, info.text(o.request), use.help)
            ->check(choiceValidator(use))
            ->capture_default_str();
    case insolation::ArgumentShape::dates:
        return c->add_option(info.option, o.dates, use.help)->delimiter(',');
    }
    return nullptr;
}

// Whether dates given to the quantity stand for the argument: its days,
// hours and calendar come from the dates, so giving both is refused.
bool replacedByDate(const insolation::Quantity& q, const insolation::ArgumentInfo& info)
{
    namespace a = insolation::arguments;
    const insolation::ArgumentInfo* const replaced[] = {&a::day, &a::longitude, &a::hour, &a::modelCalendar,
                                                        &a::yearDays, &a::equinoxDay};
    return q.use(a::date.name) != nullptr && std::find(std::begin(replaced), std::end(replaced), &info)
                                                 != std::end(replaced);
}

// A command for each quantity of the registry, with its arguments in the
// row's order. An argument dates replace is required only without them
// (requiredProblem).
void defineCommands(CLI::App& app, Options& o)
{
    for (const insolation::Quantity& q : insolation::quantities()) {
        CLI::App* c = addCommand(app, o, q.name, q.definition, q.example);
        std::map<const insolation::ArgumentInfo*, CLI::Option*> added;
        for (const insolation::ArgumentUse& use : q.arguments) {
            CLI::Option* option = addArgument(c, o, use);
            if (use.required && !replacedByDate(q, *use.info))
                option->required();
            added[use.info] = option;
        }
        for (const insolation::ArgumentUse& use : q.arguments) {
            if (use.excludes != nullptr)
                added[use.info]->excludes(added[use.excludes]);
            if (replacedByDate(q, *use.info))
                added[&insolation::arguments::date]->excludes(added[use.info]);
        }
    }
}

// A required argument that dates would have given, given neither way: the
// message CLI11 gives for the others.
std::string requiredProblem(const insolation::Quantity& q, Request& r)
{
    for (const insolation::ArgumentUse& use : q.arguments)
        if (use.required && use.info->list != nullptr && use.info->list(r).empty())
            return std::string(use.info->option) + " is required";
    return "";
}

bool isCommand(CLI::App& app, const std::string& name)
{
    for (const CLI::App* c : app.get_subcommands([](const CLI::App*) { return true; }))
        if (c->get_name() == name)
            return true;
    return false;
}

// The output's format: --format, else from the name; a --format that
// contradicts the name is refused.
bool resolveFormat(Options& o, std::string& error)
{
    const bool ncName = endsWith(o.output, netcdfSuffix);
    if (o.format.empty())
        o.format = ncName ? "netcdf" : "csv";
    else if (ncName != (o.format == "netcdf") && (ncName || endsWith(o.output, ".csv"))) {
        error = "--format " + o.format + " contradicts the output's name " + o.output
                + "; leave --format out or name the file ." + (o.format == "netcdf" ? "nc" : "csv");
        return false;
    }
    if (o.format == "netcdf" && (o.output.empty() || o.output == "-")) {
        error = "--format netcdf needs --output FILE";
        return false;
    }
    if (o.format == "netcdf" && o.longForm) {
        error = "--long is for CSV; NetCDF holds the grid itself";
        return false;
    }
    return true;
}

// Orbits given by hand: each "E,OBL,VARPI", checked as series records are.
bool parseElements(const std::vector<std::string>& items, Request& r, std::string& error)
{
    for (const std::string& item : items) {
        std::vector<std::string> fields{""};
        for (char c : item) {
            if (c == ',')
                fields.emplace_back();
            else
                fields.back() += c;
        }
        double v[3];
        if (fields.size() != 3 || !parseNumber(fields[0], v[0]) || !parseNumber(fields[1], v[1])
            || !parseNumber(fields[2], v[2])) {
            error = "--elements: \"" + item + "\" is not three numbers E,OBL,VARPI";
            return false;
        }
        OrbitSource one;
        if (!one.setElements(v[0], v[1], v[2], error)) {
            error = "--elements " + item + ": " + error;
            return false;
        }
        r.orbits.push_back(one.at(0));
    }
    return true;
}

// A list option's values within the argument's limits; a limit that is
// not finite bounds nothing.
bool expandArgument(const Options& o, const insolation::ArgumentInfo& info, Request& r, std::string& error)
{
    const auto texts = o.lists.find(&info);
    if (texts == o.lists.end())
        return true;
    const double bound = 1e300;
    return expandList(info.option, texts->second, std::max(info.lowest, -bound), std::min(info.highest, bound),
                      info.list(r), error);
}

// A quantity at true longitudes or calendar days needs them: one of each
// list, or exactly one value when it takes one.
std::string longitudeOrDayNeeded(const insolation::Quantity& q, const Request& r)
{
    const insolation::ArgumentUse* lon = q.use(insolation::arguments::longitude.name);
    if (lon == nullptr)
        return "";
    const size_t given = r.longitudes.size() + r.days.size();
    if (lon->shape == insolation::ArgumentShape::one)
        return given == 1 ? "" : r.command + " needs one true longitude (--lon) or one calendar day (--day)";
    return given > 0 ? "" : r.command + " needs true longitudes (--lon) or calendar days (--day)";
}

// Turns the option texts into numbers and checks them. False with a message.
bool buildRequest(Options& o, const insolation::Quantity& q, const OrbitSource& source, std::string& error)
{
    Request& r = o.request;
    if (!parseElements(o.elements, r, error)
        || (r.orbits.empty() && !expandList("--time", o.times, -1e300, 1e300, r.times, error)))
        return false;
    for (const insolation::ArgumentUse& use : q.arguments)
        if (!expandArgument(o, *use.info, r, error))
            return false;
    if (!resolveFormat(o, error) || !applyDates(o.dates, o.timeGiven || !o.elements.empty(), source, r, error))
        return false;
    error = requiredProblem(q, r);
    if (error.empty())
        error = longitudeOrDayNeeded(q, r);
    if (error.empty())
        error = insolation::requestProblem(r, insolation::commandLineNames);
    if (!error.empty())
        return false;
    if (q.point != nullptr && !source.insolationProblem().empty()) {
        error = "--orbit: " + source.insolationProblem();
        return false;
    }
    for (double t : r.times) {
        if (!source.covers(t)) {
            error = "--time: " + source.outsideSpanMessage(t);
            return false;
        }
    }
    return true;
}

void showProgress(size_t done, size_t total)
{
    std::fprintf(stderr, "\rpaleoviz-insolation: %zu of %zu times", done, total);
    if (done == total)
        std::fprintf(stderr, "\n");
}

// The first value of a step that is not finite, described; "" if none.
std::string nonFinite(const Table& table, size_t row, const std::vector<std::vector<double>>& values)
{
    for (size_t k = 0; k < values.size(); ++k) {
        const auto bad = std::find_if(values[k].begin(), values[k].end(), [&](double x) {
            return !std::isfinite(x) && !(std::isnan(x) && table.variables[k].nanWhereUndefined);
        });
        if (bad == values[k].end())
            continue;
        const double label = table.time.values[row];
        std::string at = table.time.name == "time" ? "at " + formatNumber(label) + " kyr"
                                                   : "for orbit " + formatNumber(label);
        const size_t i = size_t(bad - values[k].begin());
        const size_t thirds = std::max<size_t>(1, table.third.values.size());
        if (table.variables[k].extent == Extent::latitude)
            at += ", latitude " + formatNumber(table.latitude.values[i]);
        else if (table.variables[k].extent == Extent::grid)
            at += ", latitude " + formatNumber(table.latitude.values[i / thirds]) + ", "
                  + table.third.csvLabel + " " + formatNumber(table.third.values[i % thirds]);
        return table.variables[k].name + " " + at + " is not a finite number (is the interval too "
               "short, or a value too large?)";
    }
    return "";
}

int run(const Table& table, const Request& request, const OrbitSource& source, TableWriter& writer)
{
    std::string error;
    if (!writer.begin(table, error))
        return fail(exitWriteFailure, error);
    std::vector<std::vector<double>> values;
    for (const Variable& v : table.variables)
        values.emplace_back(table.count(v.extent));
    const bool progress = isatty(STDERR_FILENO) && request.rows() > 1;
    const size_t total = request.rows();
    for (size_t t = 0; t < total; ++t) {
        computeRow(request, rowElements(request, source, t), values);
        const std::string problem = nonFinite(table, t, values);
        if (!problem.empty())
            return fail(exitBadInput, problem);
        if (!writer.write(t, values, error))
            return fail(exitWriteFailure, error);
        if (progress && ((t + 1) * 100 / total != t * 100 / total || t + 1 == total))
            showProgress(t + 1, total);
    }
    if (!writer.finish(error))
        return fail(exitWriteFailure, error);
    return 0;
}

int runTool(int argc, char** argv)
{
    CLI::App app{"Orbital elements and top-of-atmosphere insolation (W/m^2) at any latitude, season "
                 "and time, computed by the same physics as paleoviz's globes.",
                 programName};
    app.set_version_flag("--version", std::string(programName) + " " + paleovizVersion);
    app.require_subcommand(1);
    app.footer("Times are in kyr, negative in the past; varpi is measured from the moving March "
               "equinox (heliocentric, about 103 degrees today); the solar constant is 1365 W/m^2 "
               "unless --solar-constant says otherwise. Calendar days (--day) count a year of "
               "--year-days days (365.2422, 365 or 360), each day 1/year-days of the tropical year, "
               "with the March equinox at the instant --equinox-day (80, 21 March 00:00, unless "
               "given; climlab's calendar days are also of a 365.2422-day year with the equinox on day 80, "
               "palinsol works in true longitude); day d is the instant d, or with --day-mean the day [d, d+1). Orbits given "
               "by hand (--elements E,OBL,VARPI) take the place of --time. Every output states these.\n" +
               solutionsHelp() +
               "Examples:\n"
               "  paleoviz-insolation daily --time -1000:0:1 --lat 65 --lon 90 -o june65N.csv\n"
               "  paleoviz-insolation integrated --time -1000:0:1 --lat 65 --start 0 --end 180\n"
               "  paleoviz-insolation threshold --time -1000:0:1 --lat 65 --threshold 275\n"
               "  paleoviz-insolation caloric --time -1000:0:1 --lat 65\n"
               "  paleoviz-insolation monthly --time 0 --lat 65 --calendar equinox\n"
               "  paleoviz-insolation instant --time 0 --lat 65 --day 172 --hour 0:24:1\n"
               "  paleoviz-insolation daily --elements 0.0167,23.44,102.9 --lat 65 --day 172 --year-days 360\n"
               "  paleoviz-insolation calendar --time -21,0 --lon 0,90,180,270\n"
               "  paleoviz-insolation daily --time -800:0:1 --lat -90:90:2 --lon 0:355:5 "
               "--format netcdf -o daily.nc");
    Options o;
    defineCommands(app, o);
    std::string listFormat = "json";
    app.add_subcommand(registryCommand, "the quantities above as data: each one's arguments (option, "
                                        "Python keyword, units, limits, default) and outputs (units, "
                                        "long name, CF standard name)")
        ->add_option("--format", listFormat, "json")
        ->check(CLI::IsMember({"json"}))
        ->capture_default_str();
    if (argc > 1 && argv[1][0] != '-' && !isCommand(app, argv[1]))
        return fail(exitBadInput, std::string("unknown command \"") + argv[1] + "\"; use "
                                      + insolation::quantityNames());
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return fail(exitBadInput, e.what());
    }
    o.request.command = app.get_subcommands().front()->get_name();
    const CLI::Option* time = app.get_subcommands().front()->get_option_no_throw("--time");
    o.timeGiven = time != nullptr && time->count() > 0;
    if (o.request.command == registryCommand) {
        std::fputs(insolation::registryJson().c_str(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : fail(exitWriteFailure, "standard output: write failed");
    }

    OrbitSource source;
    std::string error;
    const bool byHand = !o.elements.empty();
    const insolation::Quantity& quantity = *insolation::findQuantity(o.request.command);
    if ((!byHand && !source.open(o.orbit, error)) || !buildRequest(o, quantity, source, error))
        return fail(exitBadInput, error);
    if (byHand) {
        const orbit::Elements& first = o.request.orbits[0];
        source.setElements(first.eccentricity, first.obliquity, first.perihelion, error);
        source.citation = "each row's elements as given with --elements";
    }
    insolation::prepare(o.request);
    Table table = table::describeTable(o.request, source);
    table.attributes.push_back({"version", std::string(programName) + " " + paleovizVersion});
    table.attributes.push_back({"history", commandLine(argc, argv)});
    const std::string tooLarge = table::sizeProblem(table, o.format == "netcdf", o.longForm);
    if (!tooLarge.empty())
        return fail(exitBadInput, tooLarge);
    auto writer = o.format == "netcdf" ? makeNetcdfWriter(o.output, error)
                                       : makeCsvWriter(o.output, o.longForm, error);
    // A path refused before any work is bad input; one that passed the
    // checks but could not be created (a full disk) is a write failure.
    if (!writer)
        return fail(outputProblem(o.output).empty() ? exitWriteFailure : exitBadInput, error);
    return run(table, o.request, source, *writer);
}

}  // namespace

int main(int argc, char** argv)
{
    return guardProgram(programName, [&] { return runTool(argc, argv); });
}
