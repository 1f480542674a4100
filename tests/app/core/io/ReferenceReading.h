#ifndef PELMORA_TESTS_APP_CORE_IO_REFERENCEREADING_H
#define PELMORA_TESTS_APP_CORE_IO_REFERENCEREADING_H

// What the reader is compared with: a plain loop over the lines of the simplest files (one
// frame of exactly N + 2 lines, four fields, symbols as written), and readings kept bit for bit
// to compare two ways of reading a file.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ElementTable.h"
#include "FieldSplitter.h"
#include "MFunction.h"
#include "MList.h"
#include "MListAdr.h"
#include "SceneRecords.h"
#include "TextBuffer.h"
#include "XyzReader.h"

// ---- The plain loop: one frame, exactly N + 2 lines, four fields, symbols as written --------------

namespace plain {

inline char Delimiter(const std::vector<std::string>& lines)
{
    if (lines.size() <= 3)
        return ' ';
    const std::string_view line = lines[3];
    auto length = [](char lead) -> std::size_t {
        const auto byte = static_cast<unsigned char>(lead);
        return byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    };
    std::size_t at = 0;
    for (int skipped = 0; skipped < 2 && at < line.size(); ++skipped)
        at += length(line[at]);
    if (at >= line.size() || length(line[at]) != 1)
        return ' ';
    const char c = line[at];
    const bool inSymbolOrNumber =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    return inSymbolOrNumber ? ' ' : c;
}

inline XyzReadResult Read(const std::vector<std::string>& lines, const MListAdr<MAtom*>& elements,
                          MList<MPoint3DN<float>>& atoms)
{
    if (lines.empty())
        throw XyzIndexError("empty");
    const std::int64_t count = StrToInt(lines[0]);
    if (std::int64_t(lines.size()) != count + 2)
        return {XyzReadOutcome::CountMismatch, "Error count of lines in file", 0, {}, {}, {}, 0};
    atoms.Clear();
    const char delimiter = Delimiter(lines);
    std::unordered_map<std::string, int> index;
    for (int e = elements.FCount - 1; e >= 0; --e)
        index[elements.Data[e]->Name] = e;
    const int fallback = index.contains("-") ? index["-"] : elements.FCount;
    XyzReadResult result;
    FieldSplitter splitter;
    for (std::size_t j = 2; j < lines.size(); ++j) {
        const std::vector<std::string>& fields = splitter.Split(lines[j], delimiter);
        if (fields.size() != 4) {
            result = {XyzReadOutcome::BadAtomLine, "Error in *.xyz file in line " + std::to_string(j), int(j), {}, {}, {}, 0};
            break;
        }
        MPoint3DN<float> atom{0, 0, 0, fallback, -1};
        try {
            atom.x = StrToSingle(fields[1]);
            atom.y = StrToSingle(fields[2]);
            atom.z = StrToSingle(fields[3]);
        } catch (const MConvertError& error) {
            throw MConvertError("Error in *.xyz file in line " + std::to_string(j) + ": " + error.what());
        }
        std::string symbol = fields[0];
        symbol.erase(
            0,
            symbol.find_first_not_of(std::string(1, '\0')
                                     + "\x01\x02\x03\x04\x05\x06\x07\x08\t\n\v\f\r"
                                       "\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f "));
        while (!symbol.empty() && static_cast<unsigned char>(symbol.back()) <= 32)
            symbol.pop_back();
        if (const auto found = index.find(symbol); found != index.end())
            atom.N = found->second;
        if (atom.N >= elements.FCount) {
            result = {XyzReadOutcome::UnknownElement,
                      "Unknown element \"" + symbol + "\" in *.xyz file in line " + std::to_string(j),
                      int(j),
                      {},
                      {},
                      {},
                      0};
            break;
        }
        atoms.Add(atom);
    }
    atoms.Sort();
    return result;
}

}  // namespace plain

// ---- What a reading gave ------------------------------------------------------------------------

struct Reading {
    XyzReadResult result;
    std::string error;  // the message of an exception, if one was raised
    std::vector<std::array<std::uint32_t, 5>> atoms;

    bool ReadWithKnownSymbols(int fallback) const
    {
        return error.empty() && result.outcome == XyzReadOutcome::Read
            && std::none_of(atoms.begin(), atoms.end(), [&](const auto& a) { return int(a[3]) == fallback; });
    }
};

inline std::vector<std::array<std::uint32_t, 5>> Bits(const MList<MPoint3DN<float>>& atoms)
{
    std::vector<std::array<std::uint32_t, 5>> bits;
    for (int i = 0; i < atoms.FCount; ++i) {
        const MPoint3DN<float>& a = atoms.Data[i];
        bits.push_back({std::bit_cast<std::uint32_t>(a.x), std::bit_cast<std::uint32_t>(a.y),
                        std::bit_cast<std::uint32_t>(a.z), std::uint32_t(a.N), std::uint32_t(a.Group)});
    }
    return bits;
}

template <class ReadInto>
Reading Take(ReadInto read)
{
    Reading reading;
    MList<MPoint3DN<float>> atoms;
    atoms.Add(MPoint3DN<float>{7, 7, 7, 0, -1});  // something already shown
    try {
        reading.result = read(atoms);
    } catch (const std::exception& error) {
        reading.error = error.what();
    }
    reading.atoms = Bits(atoms);
    return reading;
}

inline Reading ByPlainLoop(const std::string& text, const MListAdr<MAtom*>& elements)
{
    return Take([&](auto& atoms) { return plain::Read(SplitLines(text), elements, atoms); });
}

inline void ExpectSame(const Reading& a, const Reading& b)
{
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.result.outcome, b.result.outcome);
    EXPECT_EQ(a.result.message, b.result.message);
    EXPECT_EQ(a.result.line, b.result.line);
    EXPECT_TRUE(a.atoms == b.atoms) << a.atoms.size() << " atoms against " << b.atoms.size();
}

inline void LoadShippedElements(MListAdr<MAtom*>& elements)
{
    TextBuffer table;
    table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    elements.bAutoDelete = elements.bAutoCreate = true;
    ASSERT_TRUE(LoadAtom(table.Lines(), elements).complete);
}

inline int IndexOf(const MListAdr<MAtom*>& elements, std::string_view name)
{
    for (int e = 0; e < elements.FCount; ++e)
        if (elements.Data[e]->Name == name)
            return e;
    return elements.FCount;
}

#endif
