// Lists of numbers on the command line: each item a number or a range
// FROM:TO:STEP (counted from FROM towards TO by the step's size, TO included
// when reached within a millionth of a step; a negative step only counts
// down). Numbers are decimal: "010" is ten, and hexadecimal is refused. A
// whole list gives at most 10 million values.
#ifndef PALEOVIZ_TOOLS_INSOLATION_VALUE_LISTS_H
#define PALEOVIZ_TOOLS_INSOLATION_VALUE_LISTS_H

#include "math/number_text.h"

#include <string>
#include <vector>

using math::formatNumber;
using math::parseNumber;

// Appends the values of items to out, each within [lowest, highest]. False
// with a message naming the option and the offending item.
bool expandList(const std::string& option, const std::vector<std::string>& items, double lowest,
                double highest, std::vector<double>& out, std::string& error);

#endif
