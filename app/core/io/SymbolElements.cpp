#include "SymbolElements.h"

#include <array>

#include "MMessageText.h"

namespace {

// Symbols named per rule in the note: enough for any real file, a line however many there are.
constexpr std::size_t SymbolsNamedPerRule = 8;

std::string SymbolsGivenBy(ElementRule rule, const std::vector<SymbolElement>& symbols,
                           const MListAdr<MAtom*>& elements)
{
    std::string named;
    std::size_t count = 0;
    for (const SymbolElement& row : symbols) {
        if (row.rule != rule)
            continue;
        if (++count > SymbolsNamedPerRule)
            continue;
        const bool hasElement = row.element >= 0 && row.element < elements.FCount;
        named += (named.empty() ? "" : ", ") + MessageExcerpt(row.symbol) + " -> "
            + (hasElement ? MessageExcerpt(elements.Data[row.element]->Name) : std::string("?"));
    }
    if (count > SymbolsNamedPerRule)
        named += " and " + std::to_string(count - SymbolsNamedPerRule) + " more";
    return named;
}

}  // namespace

std::string_view ElementRuleName(ElementRule rule)
{
    switch (rule) {
    case ElementRule::AsWritten:
        return "as written";
    case ElementRule::Chosen:
        return "chosen";
    case ElementRule::AtomicNumber:
        return "atomic number";
    case ElementRule::Case:
        return "case";
    case ElementRule::Label:
        return "label";
    case ElementRule::Unknown:
        break;
    }
    return "unknown";
}

std::string GuessedElementsNote(const std::vector<SymbolElement>& symbols, const MListAdr<MAtom*>& elements)
{
    struct Guess {
        ElementRule rule;
        const char* words;
    };
    constexpr std::array<Guess, 2> guesses{{{ElementRule::AtomicNumber, "by atomic number: "},
                                             {ElementRule::Label, "by label: "}}};
    std::string parts;
    for (const Guess& guess : guesses)
        if (const std::string named = SymbolsGivenBy(guess.rule, symbols, elements); !named.empty())
            parts += (parts.empty() ? "" : "; ") + (guess.words + named);
    if (parts.empty())
        return {};
    return "Elements guessed " + parts;
}
