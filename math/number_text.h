// Numbers as text, the same way everywhere: decimal reading that refuses
// what strtod would quietly accept (hexadecimal, trailing characters,
// overflow), and the shortest text that names a value to ten digits, as
// the insolation tool's outputs and messages print them.
#ifndef PALEOVIZ_MATH_NUMBER_TEXT_H
#define PALEOVIZ_MATH_NUMBER_TEXT_H

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace math {

// The whole of text as one finite decimal number; false otherwise.
inline bool parseNumber(const std::string& text, double& value)
{
    // Decimal only: strtod would read "0x10" as sixteen.
    if (text.find_first_of("xX") != std::string::npos)
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtod(begin, &end);
    return end != begin && *end == '\0' && errno == 0 && std::isfinite(value);
}

// "%.10g" of x.
inline std::string formatNumber(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", x);
    return text;
}

}  // namespace math

#endif
