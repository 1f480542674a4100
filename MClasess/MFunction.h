#ifndef PELMORA_MCLASESS_MFUNCTION_H
#define PELMORA_MCLASESS_MFUNCTION_H

// Conversions between numbers and text that never consult the process's locale. Input files
// and edit fields may write decimals with a point or a comma; SVG output always uses a point.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// The one error raised when a text is not a number. The message quotes the offending text as
// MessageExcerpt shows it (its first 80 characters, control characters escaped):
// "'1,234.5' is not a valid floating point value", "'12a' is not a valid integer value",
// "'\x1b[2J' is not a valid integer value".
class MConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Trims characters with codes 0..32 from both ends, turns an empty result into "0", and turns
// every '.' and ',' into the decimal point that StrToDouble reads ('.').
void FixDecimalSeparator(std::string& text);

// Reads a decimal written with a point or a comma: optional sign, digits with at most one
// decimal mark, optional exponent (e or E, optional sign, digits); blanks and control
// characters around it are ignored and an empty text reads as 0. A value too small for a
// double reads as a zero of its sign. Throws MConvertError for anything else, including a
// magnitude beyond the double range and a text with both a point and a comma ("1,234.5").
double StrToDouble(std::string_view text);

// StrToDouble for a value that is stored in single precision (a coordinate, a radius): the
// value rounded to single precision. A magnitude that would round to infinity throws
// MConvertError naming the text, as a value that is no number does.
float StrToSingle(std::string_view text);

// StrToDouble for a value that is used in double precision but added to single-precision
// coordinates (a step of the periodic repeat): the double itself, refused like StrToSingle
// when it lies beyond the single-precision range.
double StrToDoubleInSingleRange(std::string_view text);

// The float's exact value rounded to 15 significant digits (ties to even), shortest form with
// a point: 0.5 -> "0.5", 2 -> "2", 1.1f -> "1.10000002384186"; exponent form below 1e-4 and
// from 1e15 on ("1e+15", "9.99999974737875e-05").
std::string FloatToSvg(float value);

// The same digits for a double, with decimalMark in place of the point. Captions pass the
// user's mark (QLocale().decimalPoint()); the default keeps the point.
std::string FloatToText(double value, std::string_view decimalMark = ".");

// Reads a 32-bit integer: leading spaces (not tabs), optional sign, then decimal digits or
// hexadecimal digits after "$", "x", "X", "0x" or "0X". Nothing may follow the digits.
// Decimal values must lie in -2147483648..2147483647. Hexadecimal values may use all 32 bits
// and are taken as two's complement before the sign applies ("$FFFFFFFF" is -1).
// Throws MConvertError for anything else.
std::int32_t StrToInt(std::string_view text);

// A whole number with its digits grouped by threes for people to read: 1234567 -> "1,234,567".
std::string GroupedDigits(std::int64_t value);

#endif
