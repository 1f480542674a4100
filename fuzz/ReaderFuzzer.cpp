// Feeds arbitrary bytes to the program's readers through the scene pipeline, the one door the
// window and the command line take. The first byte chooses the reader and the settings; the rest
// is the file:
//  - an element table, loaded as the program loads its table; a table the program would take
//    then draws a small molecule of its first elements, so hostile radii and colours reach the
//    rebuild and the drawing;
//  - an XYZ file, opened (its frames indexed, its first frame read), a few frames of a trajectory
//    stepped to, then rebuilt with the cell its first comment declares and sticks and angles
//    from the settings, and drawn, once as the picture and once with its SVG document; a file
//    packed with gzip, bzip2 or xz is unpacked first, at most UnpackedFuzzLimit bytes of it, as
//    the program unpacks files (damaged, cut and flooding data is refused, never a finding).
// Anything may be thrown that the window shows to the user (conversion, index and file errors);
// anything else, and every crash, leak or undefined behaviour, is a finding.
//
// The first frame is read once more with its atom lines in one run and in as many runs as the
// settings say: both must agree with each other and with the pipeline's opening on everything
// (atoms, message, line, exception). Under the address sanitizer every allocation is counted:
// opening the file, and stepping through its frames, may take no more than a few times the file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "MFunction.h"
#include "ScenePipeline.h"
#include "TextBuffer.h"
#include "TextLines.h"
#include "Unpacker.h"
#include "XyzFrames.h"
#include "XyzReader.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELMORA_COUNT_ALLOCATIONS 1
#endif
#endif

#ifdef PELMORA_COUNT_ALLOCATIONS
#include <atomic>

#include <sanitizer/allocator_interface.h>
#endif

namespace {

#ifdef PELMORA_COUNT_ALLOCATIONS
std::atomic<std::int64_t> liveBytes{0};
std::atomic<std::int64_t> peakBytes{0};

void CountMalloc(const volatile void*, std::size_t size)
{
    const std::int64_t live = liveBytes += std::int64_t(size);
    std::int64_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {}
}

void CountFree(const volatile void* block) { liveBytes -= std::int64_t(__sanitizer_get_allocated_size(block)); }

// Starts counting; returns the bytes live now.
std::int64_t StartCounting()
{
    static const int installed = __sanitizer_install_malloc_and_free_hooks(CountMalloc, CountFree);
    (void)installed;
    peakBytes = liveBytes.load();
    return liveBytes;
}

// Taking more than a few times the file since StartCounting is a finding.
void CheckTaken(std::int64_t before, std::size_t fileSize)
{
    constexpr std::int64_t Slack = 1 << 20;
    if (peakBytes - before > 8 * std::int64_t(fileSize) + Slack)
        __builtin_trap();
}
#else
std::int64_t StartCounting() { return 0; }
void CheckTaken(std::int64_t, std::size_t) {}
#endif

// A packed input may unpack to no more than this.
constexpr std::size_t UnpackedFuzzLimit = std::size_t{4} << 20;

// At most this many frames of a trajectory are read, spread over it.
constexpr int FramesRead = 4;
// The element table's first elements make the molecule drawn with it.
constexpr int MoleculeAtoms = 8;

const std::vector<std::string>& ElementLines(bool withFallback)
{
    static const std::vector<std::string> withDash = {
        "Symbol\tRadius\tColor\tRadiusVdW", "H\t0.31\t0x00FFFFFF\t1.2",   "C\t0.76\t0x00909090\t1.7",
        "O\t0.66\t0x000D0DFF\t1.52",        "Cl\t1.02\t0x001FF01F\t1.75", "Cu\t1.32\t0x003380C8\t1.4",
        "-\t0.70\t0x00FF00FF\t2",
    };
    static const std::vector<std::string> withoutDash(withDash.begin(), withDash.end() - 1);
    return withFallback ? withDash : withoutDash;
}

// What a reading gave besides its atoms: its result, or the message of what it threw.
struct Reading {
    XyzReadResult result;
    std::string error;
};

template <class Read>
Reading Attempt(Read read)
{
    Reading reading;
    try {
        reading.result = read();
    } catch (const MConvertError& error) {
        reading.error = error.what();
    } catch (const XyzIndexError& error) {
        reading.error = error.what();
    }
    return reading;
}

// Two readings that differ in anything, their atoms byte for byte included, are a finding.
void TrapUnlessSame(const Reading& a, const MList<MPoint3DN<float>>& atomsA, const Reading& b,
                    const MList<MPoint3DN<float>>& atomsB)
{
    const bool same = a.error == b.error && a.result.outcome == b.result.outcome && a.result.message == b.result.message
        && a.result.line == b.result.line && a.result.note == b.result.note && atomsA.FCount == atomsB.FCount
        && (atomsA.FCount == 0
            || std::memcmp(atomsA.Data, atomsB.Data, std::size_t(atomsA.FCount) * sizeof(MPoint3DN<float>)) == 0);
    if (!same)
        __builtin_trap();
}

// The first frame of the text with its atom lines read in `runs` runs.
Reading ReadFirstFrameInRuns(const std::string& text, const MListAdr<MAtom*>& elements, int runs,
                             MList<MPoint3DN<float>>& atoms)
{
    return Attempt([&] {
        const TextLines lines(text);
        const XyzFrameIndex index = IndexXyzFrames(lines);
        if (!index.FormFrames())
            return XyzCountMismatch(index);
        return ReadXyzFrameInRuns(lines, index, 0, XyzDelimiterOfText(lines), elements, atoms, runs);
    });
}

// Steps to a few frames of the open file, spread over it, as the window steps through them.
void StepThroughSomeFrames(ScenePipeline& pipeline)
{
    const int frames = pipeline.FrameCount();
    for (int k = 0; k < FramesRead && k < frames; ++k) {
        const int frame = 1 + k * (frames - 1) / std::max(1, FramesRead - 1);
        if (frame == pipeline.Frame())
            continue;
        try {
            (void)pipeline.StepToFrame(frame);
        } catch (const MConvertError&) {
        }
    }
}

// The rebuild after an opening, with the control values taken from the settings, and the
// drawing: the picture, then the picture with its SVG document at another stick radius.
void RebuildAndDraw(ScenePipeline& pipeline, std::uint8_t settings, TranslationCell cell)
{
    const StickControls sticks{true, (settings >> 1) % 101, 1 + (settings >> 3) * 31};
    (void)pipeline.Rebuild(sticks, cell, ViewAngles{settings * 14, settings * 7, settings * 3});
    (void)pipeline.DrawingProblem();
    (void)pipeline.Picture(1 + settings * 3);
    TextBuffer svg;
    pipeline.DrawWithSvg(1000 - settings * 3, svg);
}

void FuzzElementTable(const TextBuffer& table, std::uint8_t settings)
{
    ScenePipeline pipeline;
    try {
        if (!pipeline.LoadElementTable(table.Lines()).complete)
            return;
    } catch (const MConvertError&) {
        return;  // a table the program refuses at start
    }
    const MListAdr<MAtom*>& elements = pipeline.Model().LAtom;
    const int atoms = std::min(elements.FCount, MoleculeAtoms);
    std::string molecule = std::to_string(atoms) + "\nmolecule\n";
    for (int i = 0; i < atoms; ++i)
        molecule += elements.Data[i]->Name + " " + std::to_string(1.25 * i) + " " + std::to_string(0.75 * (i % 2)) + " "
            + std::to_string(0.5 * i) + "\n";
    const Reading opened = Attempt([&] { return pipeline.OpenXyz(molecule); });
    if (opened.error.empty() && opened.result.Rebuild())
        RebuildAndDraw(pipeline, settings, TranslationCell{2, 1, 2.5, 2.5, 0.5, 0});
}

void FuzzXyz(std::span<const std::uint8_t> bytes, std::uint8_t settings)
{
    ScenePipeline pipeline;
    (void)pipeline.LoadElementTable(ElementLines((settings & 1) != 0));
    const MListAdr<MAtom*>& elements = pipeline.Model().LAtom;
    const std::string text = DecodeToUtf8(bytes, DetectTextEncoding(bytes));

    std::int64_t before = StartCounting();
    const Reading opened = Attempt([&] { return pipeline.OpenXyz(text); });
    CheckTaken(before, bytes.size());

    MList<MPoint3DN<float>> oneRun, split;
    const Reading inOneRun = ReadFirstFrameInRuns(text, elements, 1, oneRun);
    const Reading inRuns = ReadFirstFrameInRuns(text, elements, 1 + settings % 5, split);
    TrapUnlessSame(inOneRun, oneRun, inRuns, split);
    TrapUnlessSame(opened, pipeline.Model().LXyz, inOneRun, oneRun);
    if (!opened.error.empty() || !opened.result.Rebuild())
        return;

    before = StartCounting();
    StepThroughSomeFrames(pipeline);
    CheckTaken(before, bytes.size());

    const int copies = 1 + (settings >> 7);
    TranslationCell cell{copies, copies, 1.5, 2.5, 0.5, 0};
    if (const auto& lattice = pipeline.Document()->Lattice()) {
        cell.Ax = lattice->Ax;
        cell.Ay = lattice->Ay;
        cell.Dx = lattice->Dx;
        cell.Dy = lattice->Dy;
    }
    RebuildAndDraw(pipeline, settings, cell);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t settings = data[0];
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    if (settings == 0xFF) {
        TextBuffer table;
        table.LoadFromBytes(bytes);
        FuzzElementTable(table, settings);
        return 0;
    }
    const std::string_view start(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (CompressionOf(start) == Compression::None) {
        FuzzXyz(bytes, settings);
        return 0;
    }
    std::string unpacked;
    try {
        unpacked = UnpackAll(start, UnpackedFuzzLimit);
    } catch (const UnpackError&) {
        return 0;
    }
    FuzzXyz(std::span(reinterpret_cast<const std::uint8_t*>(unpacked.data()), unpacked.size()), settings);
    return 0;
}
