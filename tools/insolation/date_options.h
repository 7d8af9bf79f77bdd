// The tool's --date: ISO 8601 dates in UTC (insolation/dates.h) standing
// for the time of the orbit, the model calendar, the calendar days and,
// for `instant`, the hours in UTC.
//
// One call takes the dates of one UTC day, since its table has one row
// per time: `daily` takes each date's instant (day of the year + hour/24)
// as its days, `instant` the day itself (the Sun held at its place at
// 00:00 UTC, as instant's --day) and each date's time of day as its hours
// in UTC at --lon-east. The orbit is that of the first date's time unless
// --time or --elements gives one.
#ifndef PALEOVIZ_TOOLS_INSOLATION_DATE_OPTIONS_H
#define PALEOVIZ_TOOLS_INSOLATION_DATE_OPTIONS_H

#include "insolation/request.h"
#include "orbit/orbit_source.h"

#include <string>
#include <vector>

// Fills the request from the dates; timeGiven when --time or --elements
// gave the orbit. False with a message naming --date.
bool applyDates(const std::vector<std::string>& texts, bool timeGiven, const orbit::OrbitSource& source,
                insolation::Request& r, std::string& error);

#endif
