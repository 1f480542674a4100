#include "ExtendedXyzComment.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "MFunction.h"
#include "MMessageText.h"

namespace {

constexpr char Quote = '"';
constexpr char Escape = '\\';
constexpr std::size_t LatticeNumbers = 9;
// Programs write a cell vector's zero as a rounding leftover ("2.4e-17"): so small a component
// counts as zero.
constexpr double LargestZeroComponent = 1e-6;
// A column count beyond this is no declaration a file could follow.
constexpr std::size_t LargestColumnCount = 1 << 20;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::size_t SkipBlanks(std::string_view text, std::size_t at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    return at;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// One value after its '=' starting at `at`; returns where it ends.
std::size_t ReadValue(std::string_view text, std::size_t at, std::string& value)
{
    if (at < text.size() && text[at] == Quote) {
        for (++at; at < text.size() && text[at] != Quote; ++at) {
            if (text[at] == Escape && at + 1 < text.size())
                ++at;
            value.push_back(text[at]);
        }
        return std::min(at + 1, text.size());
    }
    if (at < text.size() && text[at] == '{') {
        const std::size_t close = text.find('}', at);
        const std::size_t end = close == std::string_view::npos ? text.size() : close;
        value.assign(text.substr(at + 1, end - at - 1));
        return std::min(end + 1, text.size());
    }
    const std::size_t start = at;
    while (at < text.size() && !IsBlank(text[at]))
        ++at;
    value.assign(text.substr(start, at - start));
    return at;
}

// The next part of text up to separator, from `at`; `at` moves past the separator, or to npos
// after the last part.
std::string_view NextPart(std::string_view text, std::size_t& at, char separator)
{
    const std::size_t end = text.find(separator, at);
    const std::string_view part = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end == std::string_view::npos ? std::string_view::npos : end + 1;
    return part;
}

// The blank-separated words of text, but no more than limit + 1 of them: enough to tell that
// there are too many.
std::vector<std::string_view> FirstWords(std::string_view text, std::size_t limit)
{
    std::vector<std::string_view> words;
    for (std::size_t at = SkipBlanks(text, 0); at < text.size() && words.size() <= limit; at = SkipBlanks(text, at)) {
        const std::size_t start = at;
        while (at < text.size() && !IsBlank(text[at]))
            ++at;
        words.push_back(text.substr(start, at - start));
    }
    return words;
}

std::optional<std::size_t> ColumnCount(std::string_view text)
{
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || end != text.data() + text.size() || count == 0 || count > LargestColumnCount)
        return std::nullopt;
    return count;
}

std::optional<double> LatticeNumber(std::string_view text, std::string& why)
{
    try {
        return StrToDoubleInSingleRange(text);
    } catch (const MConvertError& error) {
        why = error.what();
        return std::nullopt;
    }
}

template <class T>
XyzDeclaration<T> Ignored(std::string why)
{
    return XyzDeclaration<T>{std::nullopt, std::move(why)};
}

bool IsFalse(std::string_view word)
{
    return EqualIgnoringCase(word, "F") || EqualIgnoringCase(word, "false") || word == "0";
}

// Why the cell does not repeat along a and b by the comment's pbc=, or nothing when it does or
// says nothing clear.
std::optional<std::string> NotPeriodicInThePlane(std::string_view comment)
{
    const std::optional<std::string> pbc = ExtendedXyzValue(comment, "pbc");
    if (!pbc)
        return std::nullopt;
    const std::vector<std::string_view> flags = FirstWords(*pbc, 3);
    if (flags.size() < 2 || !IsFalse(flags[0]) || !IsFalse(flags[1]))
        return std::nullopt;
    return "pbc=\"" + MessageExcerpt(*pbc) + "\" says the cell does not repeat along a and b";
}

// The vectors among a and b that leave the x-y plane, named with their numbers as written.
std::string VectorsOutOfThePlane(const std::vector<std::string_view>& words, const double* numbers)
{
    std::vector<std::string> named;
    for (const std::size_t first : {std::size_t{0}, std::size_t{3}})
        if (numbers[first + 2] != 0)
            named.push_back(std::string(first == 0 ? "a" : "b") + " = (" + MessageExcerpt(words[first]) + " "
                            + MessageExcerpt(words[first + 1]) + " " + MessageExcerpt(words[first + 2]) + ")");
    if (named.size() == 1)
        return "its vector " + named[0] + " does not lie in the x-y plane";
    return "its vectors " + named[0] + " and " + named[1] + " do not lie in the x-y plane";
}

// A component within LargestZeroComponent of zero is zero, its text "0".
std::string ComponentText(std::string_view word, double& number)
{
    if (number != 0 && std::abs(number) <= LargestZeroComponent) {
        number = 0;
        return "0";
    }
    return std::string(word);
}

}  // namespace

std::size_t XyzColumns::FieldsNeeded() const { return std::max(Species, X + 2) + 1; }

std::optional<std::string> ExtendedXyzValue(std::string_view comment, std::string_view key)
{
    std::size_t at = SkipBlanks(comment, 0);
    while (at < comment.size()) {
        const std::size_t keyStart = at;
        while (at < comment.size() && !IsBlank(comment[at]) && comment[at] != '=')
            ++at;
        const std::string_view name = comment.substr(keyStart, at - keyStart);
        at = SkipBlanks(comment, at);
        if (at >= comment.size() || comment[at] != '=')
            continue;  // a key without a value
        std::string value;
        at = ReadValue(comment, SkipBlanks(comment, at + 1), value);
        if (EqualIgnoringCase(name, key))
            return value;
        at = SkipBlanks(comment, at);
    }
    return std::nullopt;
}

XyzDeclaration<XyzColumns> ColumnsDeclaredBy(std::string_view comment)
{
    const std::optional<std::string> properties = ExtendedXyzValue(comment, "Properties");
    if (!properties)
        return {};
    std::optional<std::size_t> species, atomicNumber, position;
    std::size_t column = 0;
    // name:type:count, again and again; a declaration cut short is no declaration.
    for (std::size_t at = 0; at != std::string_view::npos;) {
        const std::string_view name = NextPart(*properties, at, ':');
        if (at != std::string_view::npos)
            (void)NextPart(*properties, at, ':');
        if (at == std::string_view::npos)
            return Ignored<XyzColumns>("it ends within a name:type:count");
        const std::string_view countText = NextPart(*properties, at, ':');
        const std::optional<std::size_t> count = ColumnCount(countText);
        if (!count)
            return Ignored<XyzColumns>("'" + MessageExcerpt(countText) + "' is not a column count from 1 to "
                                       + std::to_string(LargestColumnCount));
        if (!species && EqualIgnoringCase(name, "species") && *count == 1)
            species = column;
        if (!atomicNumber && EqualIgnoringCase(name, "Z") && *count == 1)
            atomicNumber = column;
        if (!position && EqualIgnoringCase(name, "pos") && *count == 3)
            position = column;
        column += *count;
    }
    // An atomic number names its element as a symbol does (ElementLookup.h): "26" is iron.
    if (!species)
        species = atomicNumber;
    if (!species)
        return Ignored<XyzColumns>("it declares neither a species nor a Z column of count 1");
    if (!position)
        return Ignored<XyzColumns>("it declares no pos columns of count 3");
    return {XyzColumns{*species, *position}, {}};
}

XyzDeclaration<XyzPlaneLattice> PlaneLatticeDeclaredBy(std::string_view comment)
{
    const std::optional<std::string> lattice = ExtendedXyzValue(comment, "Lattice");
    if (!lattice)
        return {};
    const std::vector<std::string_view> words = FirstWords(*lattice, LatticeNumbers);
    if (words.size() != LatticeNumbers)
        return Ignored<XyzPlaneLattice>(words.size() > LatticeNumbers
                                            ? std::string("it holds more than 9 numbers")
                                            : "it holds " + std::to_string(words.size()) + " numbers, not 9");
    double numbers[LatticeNumbers];
    for (std::size_t i = 0; i < LatticeNumbers; ++i) {
        std::string why;
        const std::optional<double> number = LatticeNumber(words[i], why);
        if (!number)
            return Ignored<XyzPlaneLattice>(why);
        numbers[i] = *number;
    }
    std::string texts[LatticeNumbers];
    for (std::size_t i = 0; i < LatticeNumbers; ++i)
        texts[i] = ComponentText(words[i], numbers[i]);
    if (numbers[2] != 0 || numbers[5] != 0)
        return Ignored<XyzPlaneLattice>(VectorsOutOfThePlane(words, numbers));
    if (std::optional<std::string> why = NotPeriodicInThePlane(comment))
        return Ignored<XyzPlaneLattice>(std::move(*why));
    return {XyzPlaneLattice{texts[0], texts[1], texts[3], texts[4], numbers[0], numbers[1], numbers[3], numbers[4]},
            {}};
}

std::string IgnoredDeclarationNote(std::int64_t line, std::string_view key, const std::string& why)
{
    return "Line " + std::to_string(line) + ": " + std::string(key) + "= ignored (" + why + ")";
}
