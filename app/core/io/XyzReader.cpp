#include "XyzReader.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>

#include "DepthKey.h"
#include "ElementLookup.h"
#include "ExtendedXyzComment.h"
#include "LargeLists.h"
#include "MFunction.h"
#include "MHeapSort.h"
#include "MMessageText.h"
#include "MTrace.h"
#include "TextLines.h"
#include "WorkerPool.h"
#include "XyzAtomLine.h"
#include "XyzFrames.h"

namespace {

constexpr const char* Method = "TFormMain::SpeedButtonOpenFileClick";
constexpr const char* ObjectName = "FormMain";
// The line whose third character is the delimiter: the second atom line.
constexpr std::int64_t DelimiterLine = 3;
// Fewer lines than this per processor are read faster on one than split.
constexpr std::int64_t LinesPerWorker = 4096;
constexpr std::size_t ShortestAtomLine = 8;

bool CanBelongToLabelOrNumber(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-'
        || c == '.' || c == '_';
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

std::string UnknownElementMessage(std::string_view symbol, std::int64_t line)
{
    return "Unknown element \"" + MessageExcerpt(symbol) + "\" in *.xyz file in line " + std::to_string(line);
}

std::string BadLineMessage(std::int64_t line) { return "Error in *.xyz file in line " + std::to_string(line); }

XyzReadResult Failure(XyzReadOutcome outcome, std::string message, std::int64_t line)
{
    XyzReadResult result;
    result.outcome = outcome;
    result.message = std::move(message);
    result.line = static_cast<int>(line);
    return result;
}

// The atom lines of a frame in a text: the lines that start in [from, to).
class TextRange {
public:
    TextRange(const TextLines& text, std::size_t from, std::size_t to) : text_(&text), from_(from), to_(to) {}
    // As many atoms as the lines could give: an atom line takes at least eight bytes with its
    // line end ("C 0 0 0"), so a text of empty lines never asks for more than its size.
    std::int64_t MostAtoms() const
    {
        return std::min(text_->CountLines(from_, to_), std::int64_t((to_ - from_) / ShortestAtomLine + 1));
    }
    template <class Visit>
    void ForEach(Visit visit) const
    {
        for (std::size_t start = from_; start < to_ && visit(text_->LineAt(start)); start = text_->NextLine(start)) {}
    }
    std::vector<TextRange> Split(int parts) const
    {
        std::vector<TextRange> ranges;
        const std::vector<std::size_t> bounds = text_->SplitAtLineEnds(from_, to_, parts);
        for (std::size_t i = 0; i + 1 < bounds.size(); ++i)
            ranges.emplace_back(*text_, bounds[i], bounds[i + 1]);
        return ranges;
    }

private:
    const TextLines* text_;
    std::size_t from_, to_;
};

// What one run of atom lines gave: its atoms up to the first line that stopped it, if any.
struct RunResult {
    std::vector<MPoint3DN<float>> atoms;
    std::int64_t linesRead = 0;  // lines read before the one that stopped the run
    XyzAtomLineOutcome stop = XyzAtomLineOutcome::Atom;
    std::size_t fieldCount = 0;
    std::string symbol;
    std::exception_ptr error;  // a coordinate that did not convert, or anything else thrown
    SymbolTally symbols;       // of the atoms read

    bool Stopped() const { return stop != XyzAtomLineOutcome::Atom || error; }
};

void ReadRun(const TextRange& range, XyzAtomLineReader reader, RunResult& run)
{
    try {
        // Room for every atom at once: no regrowth.
        run.atoms.reserve(static_cast<std::size_t>(range.MostAtoms()));
        AdviseHugePages(run.atoms.data(), run.atoms.capacity() * sizeof(MPoint3DN<float>));
        MPoint3DN<float> atom;
        range.ForEach([&](std::string_view line) {
            run.stop = reader.Read(line, atom);
            if (run.stop != XyzAtomLineOutcome::Atom) {
                run.fieldCount = reader.FieldCount();
                if (run.stop == XyzAtomLineOutcome::UnknownElement)
                    run.symbol = std::string(reader.Symbol());
                return false;
            }
            run.atoms.push_back(atom);
            ++run.linesRead;
            return true;
        });
        run.symbols = reader.Symbols();
    } catch (...) {
        run.error = std::current_exception();
    }
}

// How many runs the lines are read in.
int RunsFor(std::int64_t lines)
{
    return static_cast<int>(std::clamp<std::int64_t>(lines / LinesPerWorker, 1, WorkerPool::Shared().Threads()));
}

void AppendInFileOrder(const std::vector<RunResult>& runs, std::size_t runCount, MList<MPoint3DN<float>>& atoms)
{
    for (std::size_t r = 0; r < runCount; ++r)
        for (const MPoint3DN<float>& atom : runs[r].atoms)
            atoms.Add(atom);
}

// Fills atoms with the atoms of the first runCount runs, sorted by ascending z as the list's
// heap sort sorts them: the same heap sort, step for step, run on 8-byte keys (the depth and
// the atom's place in the file), so equally deep atoms end where the list's sort puts them and
// far fewer bytes move. The list sorts itself where it would do more than compare depths.
void JoinSortedByDepth(const std::vector<RunResult>& runs, std::size_t runCount, MList<MPoint3DN<float>>& atoms)
{
    std::vector<std::size_t> runStarts{0};
    for (std::size_t r = 0; r < runCount; ++r)
        runStarts.push_back(runStarts.back() + runs[r].atoms.size());
    const std::size_t total = runStarts.back();
    const bool anyNaN = std::any_of(runs.begin(), runs.begin() + std::ptrdiff_t(runCount), [](const RunResult& run) {
        return std::any_of(run.atoms.begin(), run.atoms.end(), [](const auto& atom) { return std::isnan(atom.z); });
    });
    if (total < 2 || anyNaN || !atoms.SortIsPlain()) {
        atoms.Clear();
        AppendInFileOrder(runs, runCount, atoms);
        atoms.Sort();
        return;
    }
    SetCountForWriting(atoms, static_cast<int>(total));
    std::vector<std::uint64_t> keys;
    keys.reserve(total);
    AdviseHugePages(keys.data(), total * sizeof(std::uint64_t));
    for (std::size_t r = 0; r < runCount; ++r)
        for (std::size_t i = 0; i < runs[r].atoms.size(); ++i)
            keys.push_back(std::uint64_t(DepthKey(runs[r].atoms[i].z)) << 32 | (runStarts[r] + i));
    mheap::HeapSort(keys.data(), static_cast<int>(total), mheap::MoreByUpperHalf{});
    for (std::size_t i = 0; i < total; ++i) {
        const std::size_t place = keys[i] & 0xFFFFFFFFu;
        const std::size_t r =
            std::size_t(std::upper_bound(runStarts.begin(), runStarts.end(), place) - runStarts.begin()) - 1;
        atoms.Data[i] = runs[r].atoms[place - runStarts[r]];
    }
}

// A coordinate that does not convert is told with its line; anything else goes on as it is.
[[noreturn]] void RethrowNamingTheLine(const std::exception_ptr& error, std::int64_t line)
{
    try {
        std::rethrow_exception(error);
    } catch (const MConvertError& conversion) {
        throw MConvertError(BadLineMessage(line) + ": " + conversion.what());
    }
}

// The symbols of the first runCount runs, as a reading from the top would tally them.
void TellSymbols(const std::vector<RunResult>& runs, std::size_t runCount, XyzReadResult& read)
{
    SymbolTally joined;
    for (std::size_t r = 0; r < runCount; ++r)
        joined.Join(runs[r].symbols);
    read.symbols = joined.Rows();
    read.symbolAtomsNotListed = joined.AtomsNotListed();
}

// Reads the atom lines (firstLine: the index of the first in the file) in runs at once, and
// joins the runs in order up to the first line that stopped one, as a reading from the top
// would have stopped there.
XyzReadResult ReadAtomLines(const TextRange& atomLines, std::int64_t firstLine, int runCount,
                            const XyzAtomLineReader& reader, MList<MPoint3DN<float>>& atoms)
{
    const std::vector<TextRange> ranges = atomLines.Split(runCount);
    std::vector<RunResult> runs(ranges.size());
    WorkerPool::Shared().Run(static_cast<std::int64_t>(ranges.size()),
                             [&](std::int64_t i) { ReadRun(ranges[std::size_t(i)], reader, runs[std::size_t(i)]); });

    std::size_t stopped = 0;
    std::int64_t line = firstLine;
    while (stopped < runs.size() && !runs[stopped].Stopped())
        line += runs[stopped++].linesRead;
    const std::size_t runsRead = std::min(stopped + 1, runs.size());
    atoms.Clear();
    if (stopped == runs.size()) {
        JoinSortedByDepth(runs, runsRead, atoms);
        XyzReadResult read;
        TellSymbols(runs, runsRead, read);
        return read;
    }
    const RunResult& stop = runs[stopped];
    line += stop.linesRead;
    if (stop.error) {
        // The atoms before the coordinate stay, unsorted.
        AppendInFileOrder(runs, runsRead, atoms);
        RethrowNamingTheLine(stop.error, line);
    }
    XyzReadResult result;
    if (stop.stop == XyzAtomLineOutcome::BadFields) {
        TraceError(ObjectName, std::to_string(stop.fieldCount), Method);
        result = Failure(XyzReadOutcome::BadAtomLine, BadLineMessage(line), line);
    } else {
        // Without a "-" entry an unknown symbol has no element to draw with.
        TraceError(ObjectName, stop.symbol, Method);
        result = Failure(XyzReadOutcome::UnknownElement, UnknownElementMessage(stop.symbol, line), line);
    }
    JoinSortedByDepth(runs, runsRead, atoms);
    TellSymbols(runs, runsRead, result);
    return result;
}

// runs: how many runs to read the lines in; 0 for as many as the lines and processors call for.
XyzReadResult ReadFrameLines(const TextRange& atomLines, std::int64_t firstLine, std::int64_t lineCount, int runs,
                             std::string_view comment, char delimiter, const MListAdr<MAtom*>& elements,
                             MList<MPoint3DN<float>>& atoms, const ElementMap& chosen)
{
    const ElementLookup lookup(elements, chosen);
    const int fallback = lookup.FindAsWritten(FallbackElementName, elements.FCount);
    const XyzDeclaration<XyzColumns> columns = ColumnsDeclaredBy(comment);
    const XyzAtomLineReader reader(lookup, fallback, elements.FCount, delimiter, columns.value);
    XyzReadResult result = ReadAtomLines(atomLines, firstLine, runs > 0 ? runs : RunsFor(lineCount), reader, atoms);
    if (!columns.ignored.empty())
        result.note = IgnoredDeclarationNote(firstLine - 1, "Properties", columns.ignored);
    XyzDeclaration<XyzPlaneLattice> lattice = PlaneLatticeDeclaredBy(comment);
    result.lattice = std::move(lattice.value);
    if (!lattice.ignored.empty())
        result.note +=
            (result.note.empty() ? "" : "\n") + IgnoredDeclarationNote(firstLine - 1, "Lattice", lattice.ignored);
    return result;
}

char DelimiterOfLine3(std::string_view line)
{
    // The lines are UTF-8: the third character may start at any byte, and a character of more
    // than one byte is a letter of a symbol, never a delimiter.
    std::size_t at = 0;
    for (int skipped = 0; skipped < 2 && at < line.size(); ++skipped)
        at += Utf8SequenceLength(line[at]);
    if (at >= line.size() || Utf8SequenceLength(line[at]) != 1)
        return ' ';
    const char third = line[at];
    return CanBelongToLabelOrNumber(third) ? ' ' : third;
}

}  // namespace

char XyzDelimiterOfText(const TextLines& text)
{
    std::size_t start = 0;
    if (!text.Skip(start, DelimiterLine) || start >= text.Size())
        return DelimiterOfLine3({});
    return DelimiterOfLine3(text.LineAt(start));
}

XyzReadResult XyzCountMismatch(const XyzFrameIndex& index)
{
    TraceError(ObjectName, std::to_string(index.FirstCount), Method);
    TraceError(ObjectName, std::to_string(index.LineCount), Method);
    return Failure(XyzReadOutcome::CountMismatch,
                   "Error count of lines in file" + (index.Mismatch.empty() ? "" : ": " + index.Mismatch), 0);
}

XyzReadResult ReadXyzFrame(const TextLines& text, const XyzFrameIndex& index, std::size_t frame, char delimiter,
                           const MListAdr<MAtom*>& elements, MList<MPoint3DN<float>>& atoms, const ElementMap& chosen)
{
    return ReadXyzFrameInRuns(text, index, frame, delimiter, elements, atoms, 0, chosen);
}

XyzReadResult ReadXyzFrameInRuns(const TextLines& text, const XyzFrameIndex& index, std::size_t frame, char delimiter,
                                 const MListAdr<MAtom*>& elements, MList<MPoint3DN<float>>& atoms, int runs,
                                 const ElementMap& chosen)
{
    const XyzFrame& at = index.Frames.at(frame);
    const std::int32_t count = frame == 0 ? index.FirstCount : StrToInt(text.LineAt(at.Start));
    const std::size_t commentStart = text.NextLine(at.Start);
    const std::size_t atomsStart = text.NextLine(commentStart);
    return ReadFrameLines(TextRange(text, atomsStart, XyzFrameEnd(text, index, frame, atomsStart, count)), at.Line + 2,
                          count, runs, text.LineAt(commentStart), delimiter, elements, atoms, chosen);
}
