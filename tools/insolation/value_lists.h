// Lists of numbers on the command line: each item a number or a range
// FROM:TO:STEP (STEP > 0, counted from FROM towards TO, TO included when
// reached within a millionth of a step).
#ifndef PALEOVIZ_TOOLS_INSOLATION_VALUE_LISTS_H
#define PALEOVIZ_TOOLS_INSOLATION_VALUE_LISTS_H

#include <string>
#include <vector>

// The whole of text as one finite number (no trailing characters, no
// overflow); false otherwise.
bool parseNumber(const std::string& text, double& value);

// Appends the values of items to out, each within [lowest, highest]. False
// with a message naming the option and the offending item.
bool expandList(const std::string& option, const std::vector<std::string>& items, double lowest,
                double highest, std::vector<double>& out, std::string& error);

// Shortest decimal text of x ("%g" with enough digits).
std::string formatNumber(double x);

#endif
