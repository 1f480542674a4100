// Feeds arbitrary bytes to the element table reader or to the XYZ reader followed by the whole
// rebuild of the scene (sticks, repeat, duplicate removal, centring, rotation) and a drawing
// pass with SVG output into a small bitmap. The first byte
// chooses the reader and the settings; the rest is the file. Anything may be thrown that the
// window shows to the user (conversion, index and file errors); anything else, and every crash,
// leak or undefined behaviour, is a finding.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ElementTable.h"
#include "MFunction.h"
#include "SceneDrawing.h"
#include "Scene.h"
#include "TextBuffer.h"
#include "XyzReader.h"

namespace {

const std::vector<std::string>& ElementLines(bool withFallback)
{
    static const std::vector<std::string> withDash = {
        "Symbol\tRadius\tColor\tRadiusVdW", "H\t0.31\t0x00FFFFFF\t1.2", "C\t0.76\t0x00909090\t1.7",
        "O\t0.66\t0x000D0DFF\t1.52",        "-\t0.70\t0x00FF00FF\t2",
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

void FuzzXyzAndRebuild(const TextBuffer& text, std::uint8_t settings)
{
    Scene scene;
    (void)LoadAtom(ElementLines((settings & 1) != 0), scene.LAtom);
    try {
        const XyzReadResult result = ReadXyz(text.Lines(), scene.LAtom, scene.LXyz);
        if (!result.Rebuild())
            return;
    } catch (const MConvertError&) {
        return;
    } catch (const XyzIndexError&) {
        return;
    }
    const StickControls sticks{true, (settings >> 1) % 101, 1 + (settings >> 3) * 31};
    const int copies = 1 + (settings >> 7);
    scene.UpdateSticks(sticks);
    scene.RebuildTranslation(TranslationCell{copies, copies, 1.5, 2.5, 0.5, 0});
    scene.UpdateSticks(sticks);
    scene.Rotate(ViewAngles{settings * 14, settings * 7, settings * 3});
    // A small bitmap keeps runs fast; the projection centres on it all the same.
    QImage bitmap(97, 64, QImage::Format_RGB32);
    TextBuffer svg;
    DrawScene(scene, bitmap, 1 + settings * 3, &svg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t settings = data[0];
    TextBuffer text;
    text.LoadFromBytes(std::span<const std::uint8_t>(data + 1, size - 1));
    if (settings == 0xFF)
        FuzzElementTable(text);
    else
        FuzzXyzAndRebuild(text, settings);
    return 0;
}
