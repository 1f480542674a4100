// Feeds arbitrary bytes to the element table reader or to the XYZ reader followed by the whole
// rebuild of the scene (sticks, repeat, duplicate removal, centring, rotation) and a drawing
// pass with SVG output into a small bitmap. The first byte chooses the reader and the settings;
// the rest is the file. Anything may be thrown that the window shows to the user (conversion,
// index and file errors); anything else, and every crash, leak or undefined behaviour, is a
// finding.
//
// The XYZ file is read both ways the program reads it: as the text buffer's lines and as one
// text indexed by frames, its first frame split into runs as the settings say. The two must
// agree on everything (atoms, message, line, exception); every frame of a trajectory (a few of
// a long one) is read as well, with the cell its first comment declares. Under the address
// sanitizer every allocation is counted: reading may take no more than a few times the file.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ElementTable.h"
#include "MFunction.h"
#include "SceneDrawing.h"
#include "Scene.h"
#include "TextBuffer.h"
#include "TextLines.h"
#include "XyzDocument.h"
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
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
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

// A reading that took more than a few times the file is a finding.
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

// At most this many frames of a trajectory are read, spread over it.
constexpr int FramesRead = 4;

const std::vector<std::string>& ElementLines(bool withFallback)
{
    static const std::vector<std::string> withDash = {
        "Symbol\tRadius\tColor\tRadiusVdW", "H\t0.31\t0x00FFFFFF\t1.2", "C\t0.76\t0x00909090\t1.7",
        "O\t0.66\t0x000D0DFF\t1.52",        "Cl\t1.02\t0x001FF01F\t1.75", "Cu\t1.32\t0x003380C8\t1.4",
        "-\t0.70\t0x00FF00FF\t2",
    };
    static const std::vector<std::string> withoutDash(withDash.begin(), withDash.end() - 1);
    return withFallback ? withDash : withoutDash;
}

void FuzzElementTable(const TextBuffer& text)
{
    MListAdr<MAtom*> elements;
    elements.bAutoDelete = elements.bAutoCreate = true;
    try {
        (void)LoadAtom(text.Lines(), elements);
    } catch (const MConvertError&) {
    }
}

// What a reading gave, to compare two readings byte for byte.
struct Reading {
    XyzReadResult result;
    std::string error;
    std::vector<MPoint3DN<float>> atoms;
};

template <class Read>
Reading Take(MList<MPoint3DN<float>>& atoms, Read read)
{
    Reading reading;
    try {
        reading.result = read();
    } catch (const MConvertError& error) {
        reading.error = error.what();
    } catch (const XyzIndexError& error) {
        reading.error = error.what();
    }
    reading.atoms.assign(atoms.Data, atoms.Data + atoms.FCount);
    return reading;
}

void ExpectSame(const Reading& a, const Reading& b)
{
    const bool same = a.error == b.error && a.result.outcome == b.result.outcome && a.result.message == b.result.message
        && a.result.line == b.result.line && a.atoms.size() == b.atoms.size()
        && (a.atoms.empty() || std::memcmp(a.atoms.data(), b.atoms.data(), a.atoms.size() * sizeof a.atoms[0]) == 0);
    if (!same)
        __builtin_trap();
}

// The first frame through the whole text, split into `runs` runs.
Reading ReadFirstFrameOfText(const std::string& text, const std::vector<std::string>& lines,
                             const MListAdr<MAtom*>& elements, int runs, MList<MPoint3DN<float>>& atoms)
{
    return Take(atoms, [&] {
        const TextLines textLines(text);
        const XyzFrameIndex index = IndexXyzFrames(textLines);
        if (!index.FormFrames())
            return XyzCountMismatch(index);
        return ReadXyzFrameInRuns(textLines, index, 0, XyzDelimiter(lines), elements, atoms, runs);
    });
}

// Reads a few frames of the document as the window steps to them; returns the cell of its
// first frame, when it declares one.
std::optional<XyzPlaneLattice> ReadSomeFrames(const std::string& text, const MListAdr<MAtom*>& elements)
{
    try {
        const XyzDocument document(text);
        if (!document.FormsFrames())
            return std::nullopt;
        const int frames = document.FrameCount();
        MList<MPoint3DN<float>> atoms;
        for (int k = 0; k < FramesRead && k < frames; ++k) {
            try {
                (void)document.ReadFrame(1 + k * (frames - 1) / std::max(1, FramesRead - 1), elements, atoms);
            } catch (const MConvertError&) {
            }
        }
        return document.Lattice();
    } catch (const MConvertError&) {
    } catch (const XyzIndexError&) {
    }
    return std::nullopt;
}

void FuzzXyzAndRebuild(std::span<const std::uint8_t> bytes, const TextBuffer& buffer, std::uint8_t settings)
{
    Scene scene;
    (void)LoadAtom(ElementLines((settings & 1) != 0), scene.LAtom);
    const std::string text = DecodeToUtf8(bytes, DetectTextEncoding(bytes));

    const std::int64_t before = StartCounting();
    MList<MPoint3DN<float>> textAtoms;
    const Reading byText = ReadFirstFrameOfText(text, buffer.Lines(), scene.LAtom, 1 + settings % 5, textAtoms);
    const std::optional<XyzPlaneLattice> lattice = ReadSomeFrames(text, scene.LAtom);
    CheckTaken(before, bytes.size());

    const Reading byLines = Take(scene.LXyz, [&] { return ReadXyz(buffer.Lines(), scene.LAtom, scene.LXyz); });
    ExpectSame(byText, byLines);
    if (!byLines.error.empty() || !byLines.result.Rebuild())
        return;

    const StickControls sticks{true, (settings >> 1) % 101, 1 + (settings >> 3) * 31};
    const int copies = 1 + (settings >> 7);
    TranslationCell cell{copies, copies, 1.5, 2.5, 0.5, 0};
    if (lattice) {
        cell.Ax = lattice->Ax;
        cell.Ay = lattice->Ay;
        cell.Dx = lattice->Dx;
        cell.Dy = lattice->Dy;
    }
    scene.UpdateSticks(sticks);
    scene.RebuildTranslation(cell);
    scene.UpdateSticks(sticks);
    scene.Rotate(ViewAngles{settings * 14, settings * 7, settings * 3});
    // A small bitmap keeps runs fast; the projection centres on it all the same.
    QImage bitmap(97, 64, QImage::Format_RGB32);
    SvgLines svg;
    DrawScene(scene, bitmap, 1 + settings * 3, &svg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t settings = data[0];
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    TextBuffer text;
    text.LoadFromBytes(bytes);
    if (settings == 0xFF)
        FuzzElementTable(text);
    else
        FuzzXyzAndRebuild(bytes, text, settings);
    return 0;
}
