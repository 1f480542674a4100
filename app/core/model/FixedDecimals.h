#ifndef PELMORA_APP_CORE_FIXEDDECIMALS_H
#define PELMORA_APP_CORE_FIXEDDECIMALS_H

#include <charconv>
#include <cmath>
#include <string>

// A number with a fixed count of decimals and a point, whatever the locale; a value that rounds
// to zero is written without a minus sign.
inline std::string FixedDecimals(double value, int decimals)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (written.ec != std::errc())
        return "out of range";
    std::string result(text, written.ptr);
    if (result.front() == '-' && result.find_first_not_of("-0.") == std::string::npos)
        result.erase(0, 1);
    return result;
}

#endif
