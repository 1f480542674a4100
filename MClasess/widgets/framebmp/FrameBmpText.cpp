#include "FrameBmpText.h"

#include <charconv>
#include <cmath>

namespace framebmp {

namespace {

// Exactly representable ties at two decimals are quarters (x.25, x.75); to_chars would round
// them to even, the read-out rounds them away from zero.
bool IsQuarterTie(double magnitude) noexcept
{
    const double quarters = magnitude * 4.0;  // exact: a power-of-two scaling
    return std::floor(quarters) == quarters && std::fmod(quarters, 2.0) == 1.0;
}

}  // namespace

std::string FormatOneDecimal(double value, std::string_view decimalMark)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    double magnitude = std::fabs(value);
    if (IsQuarterTie(magnitude))
        magnitude = (std::floor(magnitude * 10.0) + 1.0) / 10.0;

    char digits[400];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, magnitude, std::chars_format::fixed, 1);
    if (error != std::errc())
        return "?";
    std::string text(digits, end);
    const bool roundsToZero = text.find_first_not_of("0.") == std::string::npos;
    if (value < 0 && !roundsToZero)
        text.insert(text.begin(), '-');
    if (const auto point = text.find('.'); point != std::string::npos)
        text.replace(point, 1, decimalMark);
    return text;
}

std::string ColourReadout(QRgb pixel)
{
    std::string text;
    for (const int channel : {qRed(pixel), qGreen(pixel), qBlue(pixel)}) {
        if (!text.empty())
            text += ',';
        text += static_cast<char>('0' + channel / 100);
        text += static_cast<char>('0' + channel / 10 % 10);
        text += static_cast<char>('0' + channel % 10);
    }
    return text;
}

std::string ReadoutCaption(double x, double y, std::string_view colour, std::string_view decimalMark)
{
    std::string caption = "x";
    caption += FormatOneDecimal(x, decimalMark);
    caption += 'y';
    caption += FormatOneDecimal(y, decimalMark);
    caption += '=';
    caption += colour;
    return caption;
}

}  // namespace framebmp
