#include "MFileSaveNames.h"

#include <algorithm>
#include <climits>
#include <cstddef>

namespace {

constexpr std::size_t RandomSuffixLength = 6;
constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return IsCapital(c) || IsDigit(c) || (c >= 'a' && c <= 'z'); }

bool IsRandomSuffix(std::string_view suffix)
{
    return suffix.size() == RandomSuffixLength && std::all_of(suffix.begin(), suffix.end(), IsLetter)
        && std::any_of(suffix.begin(), suffix.end(), IsCapital) && std::any_of(suffix.begin(), suffix.end(), IsDigit);
}

// The part before the random suffix: ".NAME.", the name cut so that the whole fits NAME_MAX.
std::string PrefixFor(std::string_view targetName)
{
    const std::size_t room = NAME_MAX - 2 - RandomSuffixLength;
    std::string prefix = ".";
    prefix.append(targetName.substr(0, room));
    prefix += '.';
    return prefix;
}

}  // namespace

std::string TemporaryNameBeside(const std::string& target, std::mt19937& random)
{
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string suffix(RandomSuffixLength, ' ');
    // About six draws in ten have a capital and a digit; the rest are drawn again.
    do
        for (char& c : suffix)
            c = Letters[pick(random)];
    while (!IsRandomSuffix(suffix));
    return target.substr(0, nameStart) + PrefixFor(std::string_view(target).substr(nameStart)) + suffix;
}

bool IsTemporaryNameOf(std::string_view name, std::string_view targetName)
{
    const std::string prefix = PrefixFor(targetName);
    return name.size() == prefix.size() + RandomSuffixLength && name.starts_with(prefix)
        && IsRandomSuffix(name.substr(prefix.size()));
}
