// The reader against the plain loop it grew from: every file that loop read with known symbols
// reads the same, whichever path (lines or the whole text) and however the lines are split into
// runs read at once; and the sample files of real programs open as they should.

#include "XyzReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <unordered_map>

#include "Corpus.h"
#include "ElementFixture.h"
#include "FieldSplitter.h"
#include "MFunction.h"
#include "MTrace.h"
#include "SceneDrawing.h"
#include "ScenePipeline.h"
#include "TextBuffer.h"
#include "TextFile.h"
#include "TextLines.h"
#include "XyzDocument.h"
#include "XyzFrames.h"

namespace {

// ---- The plain loop: one frame, exactly N + 2 lines, four fields, symbols as written --------------

namespace plain {

char Delimiter(const std::vector<std::string>& lines)
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
    const bool inSymbolOrNumber = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
        || c == '+' || c == '-' || c == '.';
    return inSymbolOrNumber ? ' ' : c;
}

XyzReadResult Read(const std::vector<std::string>& lines, const MListAdr<MAtom*>& elements,
                   MList<MPoint3DN<float>>& atoms)
{
    if (lines.empty())
        throw XyzIndexError("empty");
    const std::int64_t count = StrToInt(lines[0]);
    if (std::int64_t(lines.size()) != count + 2)
        return {XyzReadOutcome::CountMismatch, "Error count of lines in file", 0, {}};
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
            result = {XyzReadOutcome::BadAtomLine, "Error in *.xyz file in line " + std::to_string(j), int(j), {}};
            break;
        }
        MPoint3DN<float> atom{StrToSingle(fields[1]), StrToSingle(fields[2]), StrToSingle(fields[3]), fallback, -1};
        std::string symbol = fields[0];
        symbol.erase(0, symbol.find_first_not_of(std::string(1, '\0') + "\x01\x02\x03\x04\x05\x06\x07\x08\t\n\v\f\r"
                                                 "\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f "));
        while (!symbol.empty() && static_cast<unsigned char>(symbol.back()) <= 32)
            symbol.pop_back();
        if (const auto found = index.find(symbol); found != index.end())
            atom.N = found->second;
        if (atom.N >= elements.FCount) {
            result = {XyzReadOutcome::UnknownElement,
                      "Unknown element \"" + symbol + "\" in *.xyz file in line " + std::to_string(j), int(j), {}};
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

std::vector<std::array<std::uint32_t, 5>> Bits(const MList<MPoint3DN<float>>& atoms)
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

Reading ByPlainLoop(const std::string& text, const MListAdr<MAtom*>& elements)
{
    return Take([&](auto& atoms) { return plain::Read(SplitLines(text), elements, atoms); });
}

Reading ByLines(const std::string& text, const MListAdr<MAtom*>& elements, int runs)
{
    return Take([&](auto& atoms) { return ReadXyzInRuns(SplitLines(text), elements, atoms, runs); });
}

Reading ByText(const std::string& text, const MListAdr<MAtom*>& elements, int runs)
{
    return Take([&](auto& atoms) {
        const TextLines lines(text);
        const XyzFrameIndex index = IndexXyzFrames(lines);
        if (!index.FormFrames())
            return XyzCountMismatch(index);
        const char delimiter = XyzDelimiter(SplitLines(text));
        return ReadXyzFrameInRuns(lines, index, 0, delimiter, elements, atoms, runs);
    });
}

void ExpectSame(const Reading& a, const Reading& b)
{
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.result.outcome, b.result.outcome);
    EXPECT_EQ(a.result.message, b.result.message);
    EXPECT_EQ(a.result.line, b.result.line);
    EXPECT_TRUE(a.atoms == b.atoms) << a.atoms.size() << " atoms against " << b.atoms.size();
}

void LoadShippedElements(MListAdr<MAtom*>& elements)
{
    TextBuffer table;
    table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    elements.bAutoDelete = elements.bAutoCreate = true;
    ASSERT_TRUE(LoadAtom(table.Lines(), elements).complete);
}

int IndexOf(const MListAdr<MAtom*>& elements, std::string_view name)
{
    for (int e = 0; e < elements.FCount; ++e)
        if (elements.Data[e]->Name == name)
            return e;
    return elements.FCount;
}

// ---- Random files of the plain kind ------------------------------------------------------------

std::string RandomNumber(std::mt19937& random, bool commaAllowed)
{
    std::uniform_real_distribution<double> value(-50, 50);
    char text[48];
    switch (random() % 4) {
    case 0:
        std::snprintf(text, sizeof text, "%.6f", value(random));
        break;
    case 1:
        std::snprintf(text, sizeof text, "%.3e", value(random));
        break;
    case 2:
        std::snprintf(text, sizeof text, "%d", int(value(random)));
        break;
    default:
        std::snprintf(text, sizeof text, "%.9g", value(random));
        break;
    }
    std::string number = text;
    if (commaAllowed && random() % 5 == 0)
        std::replace(number.begin(), number.end(), '.', ',');
    return number;
}

std::string RandomPlainFile(std::mt19937& random, int atoms)
{
    static const char* const symbols[] = {"C", "H", "Cl", "Fe", "Au", "O", "N", "\"C\"", "Xx", "c", "26", "Cu1"};
    static const char* const separators[] = {" ", "\t", "   ", " \t ", ";", ","};
    static const char* const ends[] = {"\n", "\r\n", "\r"};
    const std::string separator = separators[random() % 6];
    const std::string end = ends[random() % 3];
    const bool commaAllowed = separator.find(',') == std::string::npos;
    std::string text = std::string(random() % 3, ' ') + std::to_string(atoms) + end + "comment" + end;
    for (int i = 0; i < atoms; ++i) {
        const bool unusual = random() % 40 == 0;
        text += std::string(random() % 2, ' ') + symbols[random() % (unusual ? 12 : 7)];
        for (int k = 0; k < 3; ++k)
            text += separator + RandomNumber(random, commaAllowed);
        if (i + 1 < atoms || random() % 2 == 0)
            text += end;
    }
    return text;
}

// ---- Tests ---------------------------------------------------------------------------------------

TEST(XyzReaderReferenceTest, RandomPlainFilesReadWithKnownSymbolsReadAsTheLoopReadThem)
{
    MListAdr<MAtom*> elements;
    LoadShippedElements(elements);
    const int fallback = IndexOf(elements, "-");
    std::mt19937 random(2024);
    int compared = 0;
    for (int file = 0; file < 600; ++file) {
        const std::string text = RandomPlainFile(random, 1 + int(random() % (file % 50 == 0 ? 9000 : 30)));
        const Reading before = ByPlainLoop(text, elements);
        if (!before.ReadWithKnownSymbols(fallback))
            continue;
        SCOPED_TRACE(text.substr(0, 200));
        ++compared;
        ExpectSame(ByLines(text, elements, 0), before);
        ExpectSame(ByText(text, elements, 0), before);
        ExpectSame(ByText(text, elements, 3), before);
    }
    EXPECT_GT(compared, 300);
}

// A fault anywhere, early or in a late run, stops the reading where the loop stopped.
TEST(XyzReaderReferenceTest, AnySplitIntoRunsReadsAsTheLoopEvenWithAFaultInALateRun)
{
    MListAdr<MAtom*> elements, withoutFallback;
    LoadSmallElements(elements);
    LoadSmallElements(withoutFallback, false);
    constexpr int Atoms = 9000;
    std::mt19937 random(7);
    std::vector<std::string> atomLines;
    for (int i = 0; i < Atoms; ++i)
        atomLines.push_back(std::string(i % 3 == 0 ? "Cl" : "C") + " " + RandomNumber(random, true) + " "
                            + RandomNumber(random, true) + " " + RandomNumber(random, true));
    struct Fault {
        const char* name;
        const char* line;
    };
    const Fault faults[] = {
        {"nothing wrong", nullptr},
        {"three fields", "C 1 2"},
        {"a coordinate that is no number", "C 1 x 2"},
        {"an unknown symbol", "Qq 1 2 3"},
        {"a blank line", ""},
    };
    for (const Fault& fault : faults) {
        for (const int at : {0, Atoms / 2, Atoms - 1}) {
            for (const char* end : {"\n", "\r\n"}) {
                std::string text = std::to_string(Atoms) + end + end;
                for (int i = 0; i < Atoms; ++i)
                    text += (fault.line != nullptr && i == at ? std::string(fault.line) : atomLines[std::size_t(i)]) + end;
                for (const MListAdr<MAtom*>* table : {&elements, &withoutFallback}) {
                    SCOPED_TRACE(std::string(fault.name) + " at atom " + std::to_string(at) + (*end == '\r' ? ", CR LF" : ""));
                    const Reading before = ByPlainLoop(text, *table);
                    for (const int runs : {0, 1, 2, 3, 8}) {
                        SCOPED_TRACE(std::to_string(runs) + " runs");
                        ExpectSame(ByText(text, *table, runs), before);
                    }
                    ExpectSame(ByLines(text, *table, 3), before);
                }
                if (fault.line == nullptr)
                    break;
            }
        }
    }
}

// The depth sort decides which of two equally deep atoms is drawn on top: atoms of a few depths,
// zeros of both signs among them, end where the list's own heap sort puts them.
TEST(XyzReaderReferenceTest, EquallyDeepAtomsEndWhereTheListsOwnSortPutsThem)
{
    MListAdr<MAtom*> elements;
    LoadSmallElements(elements);
    std::mt19937 random(5);
    const char* const depths[] = {"0", "-0", "1", "1.0", "2", "-3", "-0.0"};
    for (const int atoms : {2, 3, 17, 6000}) {
        std::string text = std::to_string(atoms) + "\n\n";
        for (int i = 0; i < atoms; ++i)
            text += (i % 2 ? "C " : "H ") + std::to_string(i) + " " + RandomNumber(random, false) + " "
                + depths[random() % 7] + "\n";
        SCOPED_TRACE(atoms);
        const Reading before = ByPlainLoop(text, elements);
        for (const int runs : {0, 1, 3})
            ExpectSame(ByText(text, elements, runs), before);
        ExpectSame(ByLines(text, elements, 0), before);
    }
}

// The corpus files the loop read with known symbols read the same, and draw the same SVG, on
// the path the window and the export take (the whole text, with the cell of the first frame's
// Lattice= in the Translate panel).
TEST(XyzReaderReferenceTest, CorpusFilesThatOpenedBeforeGiveTheSameAtomsAndSvg)
{
    const auto files = CorpusXyzFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus of XYZ files beside the project (PELMORA_CORPUS_DIR)";
    ScenePipeline pipeline;
    TextBuffer table;
    table.LoadFromFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    ASSERT_TRUE(pipeline.LoadElementTable(table.Lines()).complete);
    const MListAdr<MAtom*>& elements = pipeline.Model().LAtom;
    const int fallback = IndexOf(elements, "-");
    const StickControls sticks{true, 54, 500};
    const ViewAngles angles{300, 200, 100};
    int compared = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string text = LoadTextFile(file.string());
        const Reading before = ByPlainLoop(text, elements);
        if (!before.ReadWithKnownSymbols(fallback))
            continue;
        ++compared;
        ExpectSame(ByLines(text, elements, 0), before);

        ASSERT_EQ(pipeline.OpenXyz(text).outcome, XyzReadOutcome::Read);
        EXPECT_TRUE(Bits(pipeline.Model().LXyz) == before.atoms);
        TranslationCell cell;
        if (const auto& lattice = pipeline.Document()->Lattice()) {
            cell.Ax = lattice->Ax;
            cell.Ay = lattice->Ay;
            cell.Dx = lattice->Dx;
            cell.Dy = lattice->Dy;
        }
        pipeline.Rebuild(sticks, cell, angles);
        TextBuffer svg;
        pipeline.DrawWithSvg(500, svg);

        Scene scene;
        LoadShippedElements(scene.LAtom);
        ASSERT_EQ(plain::Read(SplitLines(text), scene.LAtom, scene.LXyz).outcome, XyzReadOutcome::Read);
        scene.UpdateSticks(sticks);
        scene.RebuildTranslation(TranslationCell{});
        scene.UpdateSticks(sticks);
        scene.Rotate(angles);
        QImage bitmap = MakeSceneBitmap();
        SvgLines planeSvg;
        DrawScene(scene, bitmap, 500, &planeSvg);
        EXPECT_TRUE(svg.Lines() == planeSvg);
    }
    std::cout << "corpus files compared with the plain loop: " << compared << "\n";
    EXPECT_GT(compared, 0);
}

// ---- The corpus count ----------------------------------------------------------------------------

// The element each symbol of the corpus stands for, where it is not a symbol of the table as
// written: atomic numbers, lower case, labels; "-" where the symbol names no element.
const std::map<std::string, std::string, std::less<>> kMeantElements = {
    {"1", "H"},   {"2", "He"},  {"3", "Li"},  {"4", "Be"},  {"5", "B"},  {"6", "C"},   {"7", "N"},
    {"8", "O"},   {"9", "F"},   {"10", "Ne"}, {"11", "Na"}, {"26", "Fe"}, {"b", "B"},   {"c", "C"},
    {"h", "H"},   {"o", "O"},   {"Cu1", "Cu"}, {"Cu2", "Cu"}, {"Cl1", "Cl"}, {"Cl2", "Cl"}, {"ClZ", "Cl"},
    {"KZ", "K"},  {"CA", "Ca"}, {"A", "-"},   {"pNe", "-"},
};

// The elements the first frame should show, by the test's own reading: a count, then symbols in
// the first blank-separated field of each atom line (every multi-column corpus file has them there).
std::vector<std::string> MeantElements(const std::string& text, const MListAdr<MAtom*>& elements)
{
    const std::vector<std::string> lines = SplitLines(text);
    const int count = std::stoi(lines.at(0));
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        std::istringstream fields(lines.at(std::size_t(i) + 2));
        std::string symbol;
        fields >> symbol;
        if (IndexOf(elements, symbol) < elements.FCount) {
            names.push_back(symbol);
        } else if (const auto meant = kMeantElements.find(symbol); meant != kMeantElements.end()) {
            names.push_back(meant->second);
        } else {
            ADD_FAILURE() << "a symbol the test does not know: \"" << symbol << "\"";
            names.push_back("?");
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ShownElements(const Reading& reading, const MListAdr<MAtom*>& elements)
{
    std::vector<std::string> names;
    for (const auto& atom : reading.atoms)
        names.push_back(elements.Data[atom[3]]->Name);
    std::sort(names.begin(), names.end());
    return names;
}

Reading AsTheWindowOpens(const std::string& text, const MListAdr<MAtom*>& elements)
{
    return Take([&](auto& atoms) {
        const XyzDocument document(text);
        return document.FormsFrames() ? document.ReadFrame(1, elements, atoms) : document.CountMismatch();
    });
}

TEST(XyzReaderReferenceTest, FortyEightOfTheFiftyCorpusFilesOpenWithTheRightElements)
{
    const auto files = CorpusXyzFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus of XYZ files beside the project (PELMORA_CORPUS_DIR)";
    MListAdr<MAtom*> elements;
    LoadShippedElements(elements);
    int before = 0, after = 0;
    std::map<std::string, std::string> refused;
    for (const auto& file : files) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        const std::string text = LoadTextFile(file.string());
        const Reading plain = ByPlainLoop(text, elements);
        const Reading now = AsTheWindowOpens(text, elements);
        const bool readNow = now.error.empty() && now.result.outcome == XyzReadOutcome::Read;
        if (!readNow) {
            refused[name] = now.error.empty() ? now.result.message : now.error;
            continue;
        }
        const std::vector<std::string> meant = MeantElements(text, elements);
        EXPECT_EQ(ShownElements(now, elements), meant);
        after += ShownElements(now, elements) == meant;
        before += plain.error.empty() && plain.result.outcome == XyzReadOutcome::Read
            && ShownElements(plain, elements) == meant;
    }
    std::cout << "corpus files that open with the right elements: " << before << " of " << files.size()
              << " by the plain loop, " << after << " now\n";
    RecordProperty("before", before);
    RecordProperty("after", after);
    if (files.size() != 50)
        GTEST_SKIP() << "the count is for the corpus of 50 files, this one has " << files.size();
    EXPECT_EQ(after, 48);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused["bad_C60_room_count_mismatch.xyz"], "Error count of lines in file");
    const std::string headerless = refused["layer_graphene_headerless.xyz"];
    EXPECT_TRUE(headerless.starts_with("'") && headerless.ends_with("' is not a valid integer value")) << headerless;
}

}  // namespace
