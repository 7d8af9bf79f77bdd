#include "value_lists.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Most values one list may produce: far more than any grid needs.
constexpr double maxValues = 1e7;
constexpr double endTolerance = 1e-6;

}  // namespace

bool expandList(const std::string& option, const std::vector<std::string>& items, double lowest,
                double highest, std::vector<double>& out, std::string& error)
{
    for (const std::string& item : items) {
        const size_t a = item.find(':');
        const size_t b = a == std::string::npos ? a : item.find(':', a + 1);
        double from = 0, to = 0, step = 1;
        const bool number = a == std::string::npos && parseNumber(item, from);
        const bool range = b != std::string::npos && item.find(':', b + 1) == std::string::npos
                           && parseNumber(item.substr(0, a), from)
                           && parseNumber(item.substr(a + 1, b - a - 1), to)
                           && parseNumber(item.substr(b + 1), step);
        if (!number && !range) {
            error = option + ": \"" + item + "\" is not a number or a FROM:TO:STEP range";
            return false;
        }
        if (number)
            to = from;
        // A negative step counts down, so it must lead from FROM to TO.
        if (range && (step == 0 || (step < 0 && to > from))) {
            error = option + ": \"" + item + "\" needs a step that leads from FROM to TO";
            return false;
        }
        step = std::fabs(step);
        if (std::fabs(to - from) / step + static_cast<double>(out.size()) + 1 > maxValues) {
            error = option + ": the list gives more than 10 million values; use a coarser step";
            return false;
        }
        for (double v : {from, to}) {
            if (v < lowest || v > highest) {
                error = option + ": " + formatNumber(v) + " is outside " + formatNumber(lowest) + " to "
                        + formatNumber(highest);
                return false;
            }
        }
        const double direction = to >= from ? 1.0 : -1.0;
        const long n = static_cast<long>(std::floor(std::fabs(to - from) / step + endTolerance));
        for (long i = 0; i <= n; ++i)
            out.push_back(i == n && std::fabs(from + direction * i * step - to) < endTolerance * step
                              ? to
                              : from + direction * i * step);
    }
    return true;
}
