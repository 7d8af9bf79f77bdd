#include "date_options.h"

#include "insolation/dates.h"
#include "insolation/registry.h"

#include <cmath>

using insolation::CalendarDate;
using insolation::DatePlace;

namespace {

const std::string option = insolation::arguments::date.option;

bool sameDay(const CalendarDate& a, const CalendarDate& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// The dates, each read and all on one day; false with a message.
bool readDates(const std::vector<std::string>& texts, std::vector<CalendarDate>& dates, std::string& error)
{
    for (const std::string& text : texts) {
        CalendarDate date;
        if (!insolation::parseIsoDate(text, date, error)) {
            error = option + ": " + error;
            return false;
        }
        if (!dates.empty() && !sameDay(dates[0], date)) {
            error = option + ": " + texts[0] + " and " + text + " fall on different days (UTC); one call takes "
                    "the dates of one day, its orbit and calendar day";
            return false;
        }
        dates.push_back(date);
    }
    return true;
}

// The time of the orbit at the first date, within the source's span.
bool dateTime(const DatePlace& place, const orbit::OrbitSource& source, double& kyr, std::string& error)
{
    double origin = 0;
    if (!insolation::originYear(source.origin, origin)) {
        error = option + ": the orbit's time 0 (" + source.origin + ") is no calendar date; give --time";
        return false;
    }
    kyr = insolation::timeKyrOf(place.decimalYear, origin);
    if (!source.covers(kyr)) {
        error = option + ": " + source.outsideSpanMessage(kyr);
        return false;
    }
    return true;
}

}  // namespace

bool applyDates(const std::vector<std::string>& texts, bool timeGiven, const orbit::OrbitSource& source,
                insolation::Request& r, std::string& error)
{
    std::vector<CalendarDate> dates;
    if (texts.empty() || !readDates(texts, dates, error))
        return texts.empty();
    const bool instant = r.command == "instant";
    if (instant && std::isnan(r.lonEast)) {
        error = option + ": gives universal time (UTC); give the place's " + insolation::arguments::lonEast.option;
        return false;
    }
    const DatePlace first = insolation::placeOf(dates[0]);
    double kyr = 0;
    if (!timeGiven && !dateTime(first, source, kyr, error))
        return false;
    if (!timeGiven)
        r.times = {kyr};
    r.modelCalendar = first.modelCalendar;
    r.days.clear();
    if (instant)
        r.days.push_back(std::floor(first.day));
    for (const CalendarDate& date : dates) {
        const DatePlace place = insolation::placeOf(date);
        (instant ? r.hours : r.days).push_back(instant ? place.hour : place.day);
    }
    return true;
}
