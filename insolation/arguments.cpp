// The registry's arguments, each once: its name in every front end, its
// units and limits, and where a Request keeps it (whose default value is
// the argument's default). Also the registry as JSON, for the tool's
// `quantities` command and the Python module.
#include "insolation/registry.h"

#include "math/number_text.h"

#include <iterator>
#include <limits>
#include <sstream>

namespace insolation {
namespace arguments {
namespace {

constexpr double unbounded = std::numeric_limits<double>::infinity();

}  // namespace

// clang-format off
const ArgumentInfo time{"time", "--time", "time_kyr", "time", "kyr", -unbounded, unbounded,
                        [](Request& r) -> std::vector<double>& { return r.times; }};
const ArgumentInfo latitude{"lat", "--lat", "lat_deg", "lat", "degrees_north", -90, 90,
                            [](Request& r) -> std::vector<double>& { return r.latitudes; }};
const ArgumentInfo longitude{"lon", "--lon", "lon_deg", "lon", "degree", 0, degreesPerTurn,
                             [](Request& r) -> std::vector<double>& { return r.longitudes; }};
// Days are checked against the request's own calendar (requestProblem).
const ArgumentInfo day{"day", "--day", "day", "day", "day", -unbounded, unbounded,
                       [](Request& r) -> std::vector<double>& { return r.days; }};
const ArgumentInfo hour{"hour", "--hour", "hour", "", "hour", 0, hoursPerDay,
                        [](Request& r) -> std::vector<double>& { return r.hours; }};
const ArgumentInfo start{"start", "--start", "start_deg", "", "degree", 0, degreesPerTurn, nullptr,
                         [](Request& r) -> double& { return r.start; }};
const ArgumentInfo end{"end", "--end", "end_deg", "", "degree", 0, degreesPerTurn, nullptr,
                       [](Request& r) -> double& { return r.end; }};
const ArgumentInfo threshold{"threshold", "--threshold", "threshold", "", "W m-2", -unbounded, unbounded,
                             nullptr, [](Request& r) -> double& { return r.threshold; }};
const ArgumentInfo solarConstant{"solar_constant", "--solar-constant", "solar_constant", "", "W m-2", 0,
                                 maxSolarConstant, nullptr,
                                 [](Request& r) -> double& { return r.solarConstant; }};
// The year length and the equinox day default to the model calendar's
// (ofModelCalendar, printed as no default).
const ArgumentInfo yearDays{"year_days", "--year-days", "year_days", "", "day", 360, 366, nullptr,
                            [](Request& r) -> double& { return r.dayCalendar.yearDays; }};
const ArgumentInfo equinoxDay{"equinox_day", "--equinox-day", "equinox_day", "", "day", 0, 366, nullptr,
                              [](Request& r) -> double& { return r.dayCalendar.equinoxDay; }};
const ArgumentInfo dayMean{"day_mean", "--day-mean", "day_mean", "", "", 0, 1, nullptr, nullptr,
                           [](Request& r) -> bool& { return r.dayCalendar.dayMean; }};
const ArgumentInfo monthCalendar{"calendar", "--calendar", "calendar", "", "", 0, 0, nullptr, nullptr,
                                 nullptr, [](Request& r) -> std::string& { return r.calendar; }};
const ArgumentInfo modelCalendar{"model_calendar", "--model-calendar", "model_calendar", "", "", 0, 0, nullptr,
                                 nullptr, nullptr, [](Request& r) -> std::string& { return r.modelCalendar; }};
// Not given (NaN) unless the hours are universal time.
const ArgumentInfo lonEast{"lon_east", "--lon-east", "lon_east_deg", "", "degrees_east", -180, 360, nullptr,
                           [](Request& r) -> double& { return r.lonEast; }};
// Dates stand for a time, a calendar day and an hour at once; the front
// ends turn them into those (insolation/dates.h, paleoviz/_dates.py).
const ArgumentInfo date{"date", "--date", "date", "", "", 0, 0};
// clang-format on

}  // namespace arguments

namespace {

const PointField pointFieldList[] = {
    {&arguments::latitude, &Point::latitude}, {&arguments::longitude, &Point::lonOrDay},
    {&arguments::day, &Point::lonOrDay},      {&arguments::hour, &Point::hour},
    {&arguments::start, &Point::start},       {&arguments::end, &Point::end},
    {&arguments::threshold, &Point::threshold}, {&arguments::lonEast, &Point::lonEast},
};

}  // namespace

std::vector<PointField> pointFields()
{
    return {std::begin(pointFieldList), std::end(pointFieldList)};
}

double Point::*pointFieldOf(const ArgumentInfo& info)
{
    for (const PointField& p : pointFieldList)
        if (p.info == &info)
            return p.field;
    return nullptr;
}

std::string choiceProblem(const ArgumentUse& use, const std::string& value)
{
    std::string own, models;
    for (const char* choice : use.choices) {
        if (value == choice)
            return "";
        std::string& list = findModelCalendar(choice) != nullptr ? models : own;
        list += std::string(list.empty() ? "" : ",") + choice;
    }
    if (own.empty() || models.empty())
        return value + " not in {" + own + models + "}";
    return value + " not in {" + own + "} nor a model calendar {" + models + "}";
}

namespace {

// A JSON string: quotes, backslashes and control characters escaped.
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20)
            out += "\\u00" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
        else
            out += c;
    }
    return out + "\"";
}

// A JSON number, null where JSON has none (an unbounded limit).
std::string number(double x)
{
    return std::isfinite(x) ? math::formatNumber(x) : "null";
}

std::string defaultOf(const ArgumentInfo& a)
{
    Request r;
    if (a.number != nullptr)
        return number(a.number(r));
    if (a.flag != nullptr)
        return a.flag(r) ? "true" : "false";
    if (a.text != nullptr)
        return quoted(a.text(r));
    return "null";
}

const char* shapeName(ArgumentShape shape)
{
    switch (shape) {
    case ArgumentShape::list: return "list";
    case ArgumentShape::one: return "one";
    case ArgumentShape::number: return "number";
    case ArgumentShape::flag: return "flag";
    case ArgumentShape::choice: return "choice";
    case ArgumentShape::dates: return "dates";
    }
    return "";
}

std::string argumentJson(const ArgumentUse& use)
{
    const ArgumentInfo& a = *use.info;
    std::ostringstream out;
    out << "{\"name\": " << quoted(a.name) << ", \"option\": " << quoted(a.option)
        << ", \"keyword\": " << quoted(a.keyword) << ", \"parameter\": " << quoted(a.parameter)
        << ", \"units\": " << quoted(a.units) << ", \"shape\": " << quoted(shapeName(use.shape))
        << ", \"lowest\": " << number(a.lowest) << ", \"highest\": " << number(a.highest)
        << ", \"default\": " << defaultOf(a) << ", \"required\": " << (use.required ? "true" : "false")
        << ", \"excludes\": " << (use.excludes != nullptr ? quoted(use.excludes->name) : "null")
        << ", \"choices\": [";
    for (size_t k = 0; k < use.choices.size(); ++k)
        out << (k ? ", " : "") << quoted(use.choices[k]);
    out << "], \"help\": " << quoted(use.help) << "}";
    return out.str();
}

const char* extentName(Extent extent)
{
    switch (extent) {
    case Extent::row: return "row";
    case Extent::first: return "first";
    case Extent::grid: return "grid";
    }
    return "";
}

std::string outputJson(const OutputInfo& o)
{
    return "{\"name\": " + quoted(o.name) + ", \"long_name\": " + quoted(o.longName) + ", \"units\": "
           + quoted(o.units) + ", \"standard_name\": " + quoted(o.standardName) + ", \"extent\": "
           + quoted(extentName(o.extent)) + "}";
}

template <class T, class F>
std::string listJson(const std::vector<T>& items, F item)
{
    std::string out = "[";
    for (size_t k = 0; k < items.size(); ++k)
        out += (k ? ", " : "") + item(items[k]);
    return out + "]";
}

const char* axisName(AxisKind axis)
{
    switch (axis) {
    case AxisKind::none: return "";
    case AxisKind::latitude: return "latitude";
    case AxisKind::longitudeOrDay: return "longitude_or_day";
    case AxisKind::hour: return "hour";
    case AxisKind::month: return "month";
    }
    return "";
}

std::string quantityJson(const Quantity& q)
{
    std::vector<std::string> functions(q.pythonFunctions.begin(), q.pythonFunctions.end());
    return "{\"name\": " + quoted(q.name) + ", \"definition\": " + quoted(q.definition)
           + ", \"example\": " + quoted(q.example)
           + ", \"python_functions\": " + listJson(functions, quoted)
           + ", \"trailing\": " + std::to_string(q.trailing) + ", \"axes\": ["
           + (q.firstAxis == AxisKind::none ? "" : quoted(axisName(q.firstAxis)))
           + (q.secondAxis == AxisKind::none ? "" : ", " + quoted(axisName(q.secondAxis))) + "]"
           + ",\n   \"arguments\": " + listJson(q.arguments, argumentJson)
           + ",\n   \"outputs\": " + listJson(q.outputs, outputJson) + "}";
}

}  // namespace

std::string registryJson()
{
    std::string out = "[";
    for (size_t k = 0; k < quantities().size(); ++k)
        out += std::string(k ? ",\n " : "") + quantityJson(quantities()[k]);
    return out + "]\n";
}

}  // namespace insolation
