// The sample files of real programs through the pipeline: every one that a plain loop over the
// lines reads with known symbols (io/ReferenceReading.h) opens with that loop's atoms, and draws
// the SVG document a bare scene of those atoms draws.

#include "ScenePipeline.h"

#include <gtest/gtest.h>

#include <iostream>

#include "Corpus.h"
#include "SceneDrawing.h"
#include "TextFile.h"
#include "io/ReferenceReading.h"

namespace {

// On the path the window and the export take: the whole text opened, with the cell of the first
// frame's Lattice= in the Translate panel.
TEST(ScenePipelineCorpusTest, CorpusFilesThePlainLoopReadsGiveItsAtomsAndSvg)
{
    const auto files = CorpusXyzFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus of XYZ files beside the project (PELMORA_CORPUS_DIR)";
    ScenePipeline pipeline;
    ASSERT_TRUE(pipeline.LoadElementTableFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt").complete);
    const MListAdr<MAtom*>& elements = pipeline.Model().LAtom;
    const int fallback = IndexOf(elements, "-");
    const StickControls sticks{true, 54, 500};
    const ViewAngles angles{300, 200, 100};
    int compared = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string text = LoadTextFile(file.string());
        const Reading plainReading = ByPlainLoop(text, elements);
        if (!plainReading.ReadWithKnownSymbols(fallback))
            continue;
        ++compared;

        Reading opened;
        opened.result = pipeline.OpenXyz(text);
        opened.atoms = Bits(pipeline.Model().LXyz);
        ExpectSame(opened, plainReading);
        if (opened.result.outcome != XyzReadOutcome::Read)
            continue;
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
        SvgLines plainSvg;
        DrawScene(scene, bitmap, 500, &plainSvg);
        EXPECT_TRUE(svg.Lines() == plainSvg);
    }
    std::cout << "corpus files compared with the plain loop: " << compared << "\n";
    EXPECT_GT(compared, 0);
}

}  // namespace
