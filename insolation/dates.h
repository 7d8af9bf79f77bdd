// Dates of the proleptic Gregorian calendar in universal time (UTC), as the
// insolation tool reads them (ISO 8601), turned into what the library
// takes: a calendar day of a model calendar, an hour and a time in kyr.
//
// A Gregorian year counts its own days: a common year is the model
// calendar "noleap" (365 days), a leap year "all_leap" (366 days), each
// with 1 January 00:00 at day 1.0 and the March equinox at 21 March 00:00
// (day 80.0 and 81.0), so that the seasons keep their dates from year to
// year. The Python module does the same for numpy.datetime64 and for
// cftime dates of the standard calendars (paleoviz/_dates.py).
#ifndef PALEOVIZ_INSOLATION_DATES_H
#define PALEOVIZ_INSOLATION_DATES_H

#include <string>

namespace insolation {

struct CalendarDate {
    long year = 0;  // proleptic Gregorian; 0 is 1 BC
    int month = 1;  // 1..12
    int day = 1;    // 1..days of the month
    double hour = 0;  // UTC, [0, 24)
};

// Reads YYYY-MM-DD with an optional time THH:MM, THH:MM:SS or
// THH:MM:SS.fff and an optional zone Z, +00:00 or -00:00 (a space may
// stand for T; a year may have a sign and more than four digits). A date
// without a zone is UTC; any other offset is refused, as a date of local
// civil time would need the place's rules. False with a message quoting
// the text.
bool parseIsoDate(const std::string& text, CalendarDate& date, std::string& error);

bool isGregorianLeapYear(long year);
// Day of the year, 1 on 1 January.
int dayOfYear(const CalendarDate& date);

// Where a date falls for the library (see the top of this file).
struct DatePlace {
    const char* modelCalendar;  // "noleap" or "all_leap"
    double day;                 // calendar day at the date's instant, day of the year + hour / 24
    double hour;                // UTC
    double decimalYear;         // year + the fraction of it gone
};
DatePlace placeOf(const CalendarDate& date);

// The calendar year of a solution's time 0 ("J2000", "1950"): false for
// any other origin (a series file's own time 0).
bool originYear(const std::string& origin, double& year);
// Time in kyr from the origin year, negative in the past.
double timeKyrOf(double decimalYear, double originYear);

}  // namespace insolation

#endif
