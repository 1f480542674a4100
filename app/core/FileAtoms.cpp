#include "FileAtoms.h"

#include <algorithm>
#include <bit>
#include <tuple>

#include "ElementLookup.h"
#include "ExtendedXyzComment.h"
#include "MFunction.h"
#include "WorkerPool.h"
#include "XyzAtomLine.h"
#include "XyzReader.h"

namespace {

// Bytes of atom lines per run of the parallel reading, and the most runs.
constexpr std::size_t BytesPerRun = std::size_t{1} << 20;
constexpr std::size_t MostRuns = 64;

// What identifies an atom as the reader made it: its exact coordinates and its element.
struct AtomKey {
    std::uint32_t x = 0, y = 0, z = 0;
    std::int32_t n = 0;
    std::int32_t place = 0;  // in the frame, or in the atoms list

    static AtomKey Of(const MPoint3DN<float>& atom, std::int32_t place)
    {
        return {std::bit_cast<std::uint32_t>(atom.x), std::bit_cast<std::uint32_t>(atom.y),
                std::bit_cast<std::uint32_t>(atom.z), atom.N, place};
    }
    auto Atom() const { return std::tie(x, y, z, n); }
    auto AtomThenPlace() const { return std::tie(x, y, z, n, place); }
};

XyzAtomLineReader LineReader(const ElementLookup& lookup, const MListAdr<MAtom*>& elements, char delimiter,
                             const std::string& comment)
{
    return XyzAtomLineReader(lookup, lookup.FindAsWritten(FallbackElementName, elements.FCount), elements.FCount,
                             delimiter, DeclaredXyzColumns(comment));
}

}  // namespace

FileAtoms::FileAtoms(std::shared_ptr<const XyzDocument> document)
    : document_(std::move(document)), lines_(document_->Lines()), index_(document_->Index())
{
}

void FileAtoms::Pair(int frame, const MListAdr<MAtom*>& elements, const ElementMap& chosen,
                     const MList<MPoint3DN<float>>& atoms)
{
    fileIndex_.assign(static_cast<std::size_t>(atoms.FCount), -1);
    lineStart_.clear();
    pairedFrame_ = frame;
    if (frame < 1 || static_cast<std::size_t>(frame) > index_.Frames.size())
        return;
    const std::size_t f = static_cast<std::size_t>(frame - 1);
    const XyzFrame& at = index_.Frames[f];
    const std::size_t commentStart = lines_.NextLine(at.Start);
    comment_ = std::string(lines_.LineAt(commentStart));
    firstAtomLine_ = at.Line + 3;

    // The frame's atoms in file order, read as the reader reads them, up to the first line it
    // refuses (the reader keeps the atoms before that line only); runs of lines on every core.
    const ElementLookup lookup(elements, chosen);
    const XyzAtomLineReader reader = LineReader(lookup, elements, document_->Delimiter(), comment_);
    const std::size_t atomsStart = lines_.NextLine(commentStart);
    const std::int32_t count = f == 0 ? index_.FirstCount : StrToInt(lines_.LineAt(at.Start));
    const std::size_t end = XyzFrameEnd(lines_, index_, f, atomsStart, count);
    const std::size_t bytes = end > atomsStart ? end - atomsStart : 0;
    const int parts = static_cast<int>(std::min<std::size_t>(bytes / BytesPerRun + 1, MostRuns));
    const std::vector<std::size_t> bounds = lines_.SplitAtLineEnds(atomsStart, std::max(end, atomsStart), parts);
    struct Run {
        std::vector<AtomKey> keys;
        std::vector<std::size_t> starts;
        bool refused = false;
    };
    std::vector<Run> runs(bounds.size() - 1);
    WorkerPool::Shared().Run(static_cast<std::int64_t>(runs.size()), [&](std::int64_t r) {
        XyzAtomLineReader lineReader = reader;
        Run& run = runs[static_cast<std::size_t>(r)];
        for (std::size_t start = bounds[r]; start < bounds[r + 1]; start = lines_.NextLine(start)) {
            MPoint3DN<float> atom;
            try {
                run.refused = lineReader.Read(lines_.LineAt(start), atom) != XyzAtomLineOutcome::Atom;
            } catch (...) {
                run.refused = true;  // a coordinate that does not convert ends the frame for the reader too
            }
            if (run.refused)
                break;
            run.keys.push_back(AtomKey::Of(atom, static_cast<std::int32_t>(run.starts.size())));
            run.starts.push_back(start);
        }
    });
    std::vector<AtomKey> inFile;
    for (Run& run : runs) {
        const auto offset = static_cast<std::int32_t>(lineStart_.size());
        for (AtomKey key : run.keys) {
            key.place += offset;
            inFile.push_back(key);
        }
        lineStart_.insert(lineStart_.end(), run.starts.begin(), run.starts.end());
        if (run.refused)
            break;
    }

    // Equal atoms are paired in order of their places on both sides; atoms that agree in place
    // and element are told apart by nothing but their line.
    std::vector<AtomKey> inList;
    inList.reserve(static_cast<std::size_t>(atoms.FCount));
    for (int i = 0; i < atoms.FCount; ++i)
        inList.push_back(AtomKey::Of(atoms.Data[i], i));
    const auto byAtomThenPlace = [](const AtomKey& a, const AtomKey& b) {
        return a.AtomThenPlace() < b.AtomThenPlace();
    };
    std::sort(inFile.begin(), inFile.end(), byAtomThenPlace);
    std::sort(inList.begin(), inList.end(), byAtomThenPlace);
    auto file = inFile.begin();
    for (const AtomKey& listed : inList) {
        while (file != inFile.end() && file->Atom() < listed.Atom())
            ++file;
        if (file != inFile.end() && file->Atom() == listed.Atom())
            fileIndex_[static_cast<std::size_t>(listed.place)] = (file++)->place;
    }
}

std::optional<FileAtom> FileAtoms::Of(int frame, const MListAdr<MAtom*>& elements, const ElementMap& chosen,
                                      const MList<MPoint3DN<float>>& atoms, int index)
{
    if (pairedFrame_ != frame || fileIndex_.size() != static_cast<std::size_t>(atoms.FCount))
        Pair(frame, elements, chosen, atoms);
    if (index < 0 || static_cast<std::size_t>(index) >= fileIndex_.size() || fileIndex_[index] < 0)
        return std::nullopt;
    const std::int32_t place = fileIndex_[static_cast<std::size_t>(index)];
    FileAtom found{place + 1, firstAtomLine_ + place, {}};
    const ElementLookup lookup(elements, chosen);
    XyzAtomLineReader reader = LineReader(lookup, elements, document_->Delimiter(), comment_);
    MPoint3DN<float> atom;
    try {
        if (reader.Read(lines_.LineAt(lineStart_[static_cast<std::size_t>(place)]), atom) == XyzAtomLineOutcome::Atom)
            found.Symbol = std::string(reader.Symbol());
    } catch (...) {
        // paired lines convert: they were read above
    }
    return found;
}
