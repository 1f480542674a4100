#include "ElementMap.h"

#include "MMessageText.h"

namespace {

constexpr char EntrySeparator = ',';
constexpr char SymbolEnd = '=';

bool HasBlank(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) <= 32)
            return true;
    return false;
}

ElementMapParse Refused(std::string error) { return {std::nullopt, std::move(error)}; }

}  // namespace

ElementMapParse ParseElementMap(std::string_view text)
{
    if (text.size() > ElementMapLongestText)
        return Refused("the map is longer than " + std::to_string(ElementMapLongestText) + " characters");
    ElementMap map;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(EntrySeparator), text.size());
        const std::string_view entry = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t equals = entry.find(SymbolEnd);
        if (equals == std::string_view::npos || equals == 0 || equals + 1 == entry.size()
            || entry.find(SymbolEnd, equals + 1) != std::string_view::npos || HasBlank(entry))
            return Refused("'" + MessageExcerpt(entry) + "' is no SYMBOL=ELEMENT");
        map.insert_or_assign(std::string(entry.substr(0, equals)), std::string(entry.substr(equals + 1)));
    }
    return {std::move(map), {}};
}

std::string ElementMapText(const ElementMap& map)
{
    std::string text;
    for (const auto& [symbol, element] : map)
        text += (text.empty() ? "" : std::string(1, EntrySeparator)) + symbol + SymbolEnd + element;
    return text;
}

std::optional<std::string> ElementMissingFrom(const ElementMap& map, const MListAdr<MAtom*>& elements)
{
    for (const auto& [symbol, element] : map) {
        bool found = false;
        for (int e = 0; e < elements.FCount && !found; ++e)
            found = elements.Data[e]->Name == element;
        if (!found)
            return element;
    }
    return std::nullopt;
}
