#include "insolation/dates.h"

#include <cctype>
#include <cstdlib>

namespace insolation {
namespace {

constexpr double hoursPerDay = 24, minutesPerHour = 60, secondsPerHour = 3600;
constexpr int daysBeforeMonth[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int yearsPerKyr = 1000;
// J2000.0 is 1 January 2000, 12:00 (terrestrial time, within a minute of UTC).
constexpr double j2000Year = 2000 + 0.5 / 366;

// Reads `digits` decimal digits at text[at] into value; false if fewer.
bool digitsAt(const std::string& text, size_t& at, size_t digits, long& value)
{
    value = 0;
    for (size_t k = 0; k < digits; ++k, ++at) {
        if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
            return false;
        value = value * 10 + (text[at] - '0');
    }
    return true;
}

// A year: an optional sign, then four or more digits, then '-'.
bool yearAt(const std::string& text, size_t& at, long& year)
{
    const bool negative = at < text.size() && (text[at] == '-' || text[at] == '+') && text[at++] == '-';
    const size_t dash = text.find('-', at);
    if (dash == std::string::npos || dash - at < 4 || dash - at > 9 || !digitsAt(text, at, dash - at, year))
        return false;
    year = negative ? -year : year;
    return true;
}

// The time of day after T: HH:MM, HH:MM:SS or HH:MM:SS.fff, in hours.
bool timeAt(const std::string& text, size_t& at, double& hour)
{
    long h = 0, m = 0, s = 0;
    if (!digitsAt(text, at, 2, h) || at >= text.size() || text[at++] != ':' || !digitsAt(text, at, 2, m))
        return false;
    double seconds = 0;
    if (at < text.size() && text[at] == ':') {
        ++at;
        if (!digitsAt(text, at, 2, s))
            return false;
        seconds = double(s);
        if (at < text.size() && text[at] == '.') {
            const size_t begin = at;
            for (++at; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
            }
            seconds += std::strtod(text.substr(begin, at - begin).c_str(), nullptr);
        }
    }
    hour = double(h) + double(m) / minutesPerHour + seconds / secondsPerHour;
    return h < hoursPerDay && m < minutesPerHour && seconds < minutesPerHour;
}

// The zone after the time: none, Z, +00:00 or -00:00 (UTC); "" or why not.
std::string zoneProblem(const std::string& zone)
{
    if (zone.empty() || zone == "Z" || zone == "+00:00" || zone == "-00:00" || zone == "+0000")
        return "";
    return "has the zone " + zone + "; give the date in UTC (no zone, Z or +00:00)";
}

}  // namespace

bool isGregorianLeapYear(long year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int dayOfYear(const CalendarDate& date)
{
    const bool leapDay = isGregorianLeapYear(date.year) && date.month > 2;
    return daysBeforeMonth[date.month - 1] + date.day + (leapDay ? 1 : 0);
}

bool parseIsoDate(const std::string& text, CalendarDate& date, std::string& error)
{
    size_t at = 0;
    long month = 0, day = 0;
    const bool read = yearAt(text, at, date.year) && text[at++] == '-' && digitsAt(text, at, 2, month)
                      && at < text.size() && text[at++] == '-' && digitsAt(text, at, 2, day);
    date.hour = 0;
    const bool timed = read && at < text.size() && (text[at] == 'T' || text[at] == ' ');
    const bool clock = !timed || timeAt(text, ++at, date.hour);
    if (!read || !clock || (!timed && at != text.size())) {
        error = "\"" + text + "\" is not an ISO 8601 date (YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS])";
        return false;
    }
    const std::string zone = zoneProblem(text.substr(at));
    const int length = month >= 1 && month <= 12
                           ? monthDays[month - 1] + (month == 2 && isGregorianLeapYear(date.year) ? 1 : 0)
                           : 0;
    if (!zone.empty() || day < 1 || day > length) {
        error = "\"" + text + "\" " + (zone.empty() ? std::string("is not a day of the calendar") : zone);
        return false;
    }
    date.month = int(month);
    date.day = int(day);
    return true;
}

DatePlace placeOf(const CalendarDate& date)
{
    const bool leap = isGregorianLeapYear(date.year);
    const double length = leap ? 366 : 365;
    const double day = dayOfYear(date) + date.hour / hoursPerDay;
    // Days are periodic: 31 December after 00:00 of a leap year, past day
    // 366, is the same place of the year as the start of the next count.
    return {leap ? "all_leap" : "noleap", day > length ? day - length : day, date.hour,
            double(date.year) + (day - 1) / length};
}

bool originYear(const std::string& origin, double& year)
{
    if (origin == "J2000")
        year = j2000Year;
    else if (origin == "1950")
        year = 1950;
    else
        return false;
    return true;
}

double timeKyrOf(double decimalYear, double originYear)
{
    return (decimalYear - originYear) / yearsPerKyr;
}

}  // namespace insolation
