#include "ElementLookup.h"

#include <algorithm>

#include "PeriodicTable.h"

namespace {

constexpr std::size_t LongestAtomicNumberText = 3;

std::string LowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

}  // namespace

ElementLookup::ElementLookup(const MListAdr<MAtom*>& elements, const ElementMap& chosen)
{
    for (int e = 0; e < elements.FCount; ++e) {
        const std::string& name = elements.Data[e]->Name;
        asWritten_.emplace(name, e);
        lowerCase_.emplace(LowerCase(name), e);
        longestName_ = std::max(longestName_, name.size());
    }
    for (const auto& [symbol, element] : chosen)
        if (const int index = FindAsWritten(element, -1); index >= 0)
            chosen_.emplace(symbol, index);
}

int ElementLookup::FindAsWritten(std::string_view symbol, int notFound) const
{
    const auto found = asWritten_.find(symbol);
    return found == asWritten_.end() ? notFound : found->second;
}

ElementFound ElementLookup::Resolve(std::string_view symbol, int notFound) const
{
    if (const auto found = chosen_.find(symbol); found != chosen_.end())
        return {found->second, ElementRule::Chosen};
    if (const int index = FindAsWritten(symbol, -1); index >= 0)
        return {index, ElementRule::AsWritten};
    if (const int index = FindByAtomicNumber(symbol, -1); index >= 0)
        return {index, ElementRule::AtomicNumber};
    if (const int index = FindIgnoringCase(symbol, -1); index >= 0)
        return {index, ElementRule::Case};
    if (const int index = FindByLeadingSymbol(symbol, -1); index >= 0)
        return {index, ElementRule::Label};
    return {notFound, ElementRule::Unknown};
}

int ElementLookup::FindByAtomicNumber(std::string_view symbol, int notFound) const
{
    if (symbol.empty() || symbol.size() > LongestAtomicNumberText)
        return notFound;
    int number = 0;
    for (const char c : symbol) {
        if (c < '0' || c > '9')
            return notFound;
        number = number * 10 + (c - '0');
    }
    const std::string_view element = ElementSymbolOfAtomicNumber(number);
    return element.empty() ? notFound : FindAsWritten(element, notFound);
}

int ElementLookup::FindIgnoringCase(std::string_view symbol, int notFound) const
{
    if (symbol.size() > longestName_)
        return notFound;
    const auto found = lowerCase_.find(LowerCase(symbol));
    return found == lowerCase_.end() ? notFound : found->second;
}

int ElementLookup::FindByLeadingSymbol(std::string_view symbol, int notFound) const
{
    // Only a true prefix: the whole symbol was looked up as written already.
    for (std::size_t length = std::min(symbol.size() - (symbol.empty() ? 0 : 1), longestName_); length > 0; --length) {
        const int index = FindAsWritten(symbol.substr(0, length), -1);
        if (index >= 0)
            return index;
    }
    return notFound;
}
