#include "XyzReader.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "FieldSplitter.h"
#include "MFunction.h"
#include "MMessageText.h"
#include "MTrace.h"
#include "TextTrim.h"

namespace {

constexpr const char* Method = "TFormMain::SpeedButtonOpenFileClick";
constexpr const char* ObjectName = "FormMain";
constexpr const char* FallbackElementName = "-";
constexpr std::size_t AtomFields = 4;
constexpr std::size_t FirstAtomLine = 2;
constexpr std::size_t DelimiterLine = 3;

bool CanBelongToSymbolOrNumber(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-'
        || c == '.';
}

// Bytes of the UTF-8 character that starts with `lead`; a stray continuation byte counts as one.
std::size_t Utf8SequenceLength(char lead)
{
    const auto byte = static_cast<unsigned char>(lead);
    if (byte >= 0xF0)
        return 4;
    if (byte >= 0xE0)
        return 3;
    if (byte >= 0xC0)
        return 2;
    return 1;
}

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Symbol to element index; the first entry of a name wins, as a search in table order finds it.
class ElementIndex {
public:
    explicit ElementIndex(const MListAdr<MAtom*>& elements)
    {
        for (int e = 0; e < elements.FCount; ++e)
            indexOf_.emplace(elements.Data[e]->Name, e);
    }
    int Find(std::string_view symbol, int notFound) const
    {
        const auto found = indexOf_.find(symbol);
        return found == indexOf_.end() ? notFound : found->second;
    }

private:
    std::unordered_map<std::string, int, StringHash, std::equal_to<>> indexOf_;
};

std::string_view TrimmedView(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

std::string UnknownElementMessage(std::string_view symbol, std::size_t line)
{
    return "Unknown element \"" + MessageExcerpt(symbol) + "\" in *.xyz file in line " + std::to_string(line);
}

XyzReadResult Failure(XyzReadOutcome outcome, std::string message, std::size_t line)
{
    return XyzReadResult{outcome, std::move(message), static_cast<int>(line)};
}

}  // namespace

char XyzDelimiter(const std::vector<std::string>& lines)
{
    if (lines.size() <= DelimiterLine)
        return ' ';
    // The lines are UTF-8: the third character may start at any byte, and a character of more
    // than one byte is a letter of a symbol, never a delimiter.
    const std::string_view line = lines[DelimiterLine];
    std::size_t at = 0;
    for (int skipped = 0; skipped < 2 && at < line.size(); ++skipped)
        at += Utf8SequenceLength(line[at]);
    if (at >= line.size() || Utf8SequenceLength(line[at]) != 1)
        return ' ';
    const char third = line[at];
    return CanBelongToSymbolOrNumber(third) ? ' ' : third;
}

XyzReadResult ReadXyz(const std::vector<std::string>& lines, const MListAdr<MAtom*>& elements,
                      MList<MPoint3DN<float>>& atoms)
{
    if (lines.empty())
        throw XyzIndexError("The file is empty: it has no atom count line");
    const std::int64_t count = StrToInt(lines[0]);
    if (std::int64_t(lines.size()) != count + 2) {
        TraceError(ObjectName, std::to_string(count), Method);
        TraceError(ObjectName, std::to_string(lines.size()), Method);
        return Failure(XyzReadOutcome::CountMismatch, "Error count of lines in file", 0);
    }
    atoms.Clear();
    const char delimiter = XyzDelimiter(lines);
    const ElementIndex index(elements);
    const int fallback = index.Find(FallbackElementName, elements.FCount);

    XyzReadResult result;
    FieldSplitter splitter;
    for (std::size_t j = FirstAtomLine; j < lines.size(); ++j) {
        const std::vector<std::string>& fields = splitter.Split(lines[j], delimiter);
        if (fields.size() != AtomFields) {
            TraceError(ObjectName, std::to_string(fields.size()), Method);
            result = Failure(XyzReadOutcome::BadAtomLine, "Error in *.xyz file in line " + std::to_string(j), j);
            break;
        }
        MPoint3DN<float> atom;
        atom.x = StrToSingle(fields[1]);
        atom.y = StrToSingle(fields[2]);
        atom.z = StrToSingle(fields[3]);
        atom.Group = -1;
        const std::string_view symbol = TrimmedView(fields[0]);
        atom.N = index.Find(symbol, fallback);
        if (atom.N >= elements.FCount) {
            // Without a "-" entry an unknown symbol has no element to draw with.
            TraceError(ObjectName, symbol, Method);
            result = Failure(XyzReadOutcome::UnknownElement, UnknownElementMessage(symbol, j), j);
            break;
        }
        atoms.Add(atom);
    }
    atoms.Sort();
    return result;
}
