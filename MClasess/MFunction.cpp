#include "MFunction.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <optional>

#include "MMessageText.h"
#include "MSingle.h"

namespace {

// Exponents are summed up to this magnitude only; far beyond any double, far below overflow.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

// Fifteen digits show a float's stored value and survive a round trip of most doubles.
constexpr int kSignificantDigits = 15;

bool IsBlankOrControl(char c)
{
    // Unsigned, so that the bytes of UTF-8 letters are never taken for control characters.
    return static_cast<unsigned char>(c) <= 32;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text may be a whole line of a file: the message quotes its beginning, escaped.
[[noreturn]] void ThrowConvertError(std::string_view text, std::string_view kind)
{
    std::string message = "'" + MessageExcerpt(text) + "' is not a valid ";
    message += kind;
    message += " value";
    throw MConvertError(message);
}

// Power of ten of the mantissa's leading nonzero digit plus the exponent. from_chars reports
// overflow and underflow alike; the sign of this order tells them apart.
std::int64_t DecimalOrder(std::string_view mantissa, std::int64_t exponent)
{
    const std::size_t point = mantissa.find('.');
    const auto integerDigits = static_cast<std::int64_t>(point == std::string_view::npos ? mantissa.size() : point);
    const std::size_t leadIndex = mantissa.find_first_not_of("0.");
    if (leadIndex == std::string_view::npos)
        return 0;
    const auto lead = static_cast<std::int64_t>(leadIndex);
    const std::int64_t order = lead < integerDigits ? integerDigits - 1 - lead : integerDigits - lead;
    return order + exponent;
}

// Reads "[+-]digits[.digits][(e|E)[+-]digits]" with '.' as the only decimal mark. from_chars
// alone would also take "inf", "nan" and a leading '+' is refused by it, so the syntax is
// checked here first.
std::optional<double> ParseDecimal(std::string_view text)
{
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t numberBegin = pos;

    std::size_t digits = 0;
    bool seenPoint = false;
    for (; pos < text.size(); ++pos) {
        if (IsDigit(text[pos]))
            ++digits;
        else if (text[pos] == '.' && !seenPoint)
            seenPoint = true;
        else
            break;
    }
    if (digits == 0)
        return std::nullopt;
    const std::string_view mantissa = text.substr(numberBegin, pos - numberBegin);

    std::int64_t exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            negativeExponent = text[pos] == '-';
            ++pos;
        }
        const std::size_t exponentBegin = pos;
        for (; pos < text.size() && IsDigit(text[pos]); ++pos)
            exponent = std::min(exponent * 10 + (text[pos] - '0'), kExponentLimit);
        if (pos == exponentBegin)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (pos != text.size())
        return std::nullopt;

    const char* first = text.data() + (text.front() == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc() && end == last)
        return value;
    if (error == std::errc::result_out_of_range && DecimalOrder(mantissa, exponent) < 0)
        return negative ? -0.0 : 0.0;
    return std::nullopt;
}

std::optional<std::int32_t> ParseInteger(std::string_view text)
{
    std::size_t pos = text.find_first_not_of(' ');
    if (pos == std::string_view::npos)
        return std::nullopt;
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') {
        negative = text[pos] == '-';
        ++pos;
    }
    std::string_view digits = text.substr(pos);
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    } else if (digits.starts_with('$') || digits.starts_with('x') || digits.starts_with('X')) {
        digits.remove_prefix(1);
        base = 16;
    }

    // Unsigned from_chars takes no sign, so "$-1" and "--1" fail here as they should.
    std::uint32_t magnitude = 0;
    const char* last = digits.data() + digits.size();
    const auto [end, error] = std::from_chars(digits.data(), last, magnitude, base);
    if (digits.empty() || error != std::errc() || end != last)
        return std::nullopt;

    if (base == 10) {
        const std::uint32_t limit = negative ? 2147483648u : 2147483647u;
        if (magnitude > limit)
            return std::nullopt;
    }
    // Hexadecimal digits are a 32-bit pattern; the sign negates that pattern modulo 2^32, so
    // "-$80000000" stays -2147483648 instead of overflowing.
    const std::uint32_t bits = negative ? 0u - magnitude : magnitude;
    return static_cast<std::int32_t>(bits);
}

std::string GeneralText(double value)
{
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general,
                                      kSignificantDigits);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

void FixDecimalSeparator(std::string& text)
{
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
    const auto last = std::find_if_not(text.rbegin(), std::make_reverse_iterator(first), IsBlankOrControl).base();
    text = std::string(first, last);
    if (text.empty()) {
        text = "0";
        return;
    }
    std::replace(text.begin(), text.end(), ',', '.');
}

double StrToDouble(std::string_view text)
{
    std::string fixed(text);
    FixDecimalSeparator(fixed);
    if (const std::optional<double> value = ParseDecimal(fixed))
        return *value;
    ThrowConvertError(text, "floating point");
}

float StrToSingle(std::string_view text)
{
    if (const std::optional<float> value = ToFiniteSingle(StrToDouble(text)))
        return *value;
    ThrowConvertError(text, "floating point");
}

double StrToDoubleInSingleRange(std::string_view text)
{
    const double value = StrToDouble(text);
    if (!ToFiniteSingle(value))
        ThrowConvertError(text, "floating point");
    return value;
}

std::string FloatToSvg(float value) { return GeneralText(static_cast<double>(value)); }

std::string FloatToText(double value, std::string_view decimalMark)
{
    std::string text = GeneralText(value);
    if (const std::size_t point = text.find('.'); point != std::string::npos && decimalMark != ".")
        text.replace(point, 1, decimalMark);
    return text;
}

std::int32_t StrToInt(std::string_view text)
{
    if (const std::optional<std::int32_t> value = ParseInteger(text))
        return *value;
    ThrowConvertError(text, "integer");
}

std::string GroupedDigits(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    const std::size_t sign = value < 0 ? 1 : 0;
    std::string grouped = digits.substr(0, sign);
    for (std::size_t i = sign; i < digits.size(); ++i) {
        if (i > sign && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}
