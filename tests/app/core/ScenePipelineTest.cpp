#include "ScenePipeline.h"

#include <gtest/gtest.h>

#include "ElementFixture.h"
#include "SceneDrawing.h"

namespace {

// Two carbons and a hydrogen: near enough for sticks at the middle of the stick bar.
const std::string kMoleculeText = "3\n\nC 0 0 0\nC 1.4 0 0\nH 2 0.9 0\n";

// The molecule read into a bare scene's atom list.
void ReadMolecule(Scene& scene)
{
    const XyzDocument document(kMoleculeText);
    ASSERT_EQ(document.ReadFrame(1, scene.LAtom, scene.LXyz).outcome, XyzReadOutcome::Read);
}

class ScenePipelineTest : public ::testing::Test {
protected:
    ScenePipelineTest() { EXPECT_TRUE(pipeline.LoadElementTable(SmallElementLines()).complete); }

    void Open(const StickControls& sticks, const ViewAngles& angles, const TranslationCell& cell = {})
    {
        ASSERT_EQ(pipeline.OpenXyz(kMoleculeText).outcome, XyzReadOutcome::Read);
        pipeline.Rebuild(sticks, cell, angles);
    }

    ScenePipeline pipeline;
};

TEST_F(ScenePipelineTest, PaintsOnlyWhenAskedAndOnlyWhenSomethingChanged)
{
    const StickControls sticks{true, 50, 500};
    Open(sticks, {});
    EXPECT_EQ(pipeline.DrawCount(), 0);
    (void)pipeline.Picture(500);
    (void)pipeline.Picture(500);
    EXPECT_EQ(pipeline.DrawCount(), 1);
    (void)pipeline.Picture(300);  // the stick radius bar repaints
    EXPECT_EQ(pipeline.DrawCount(), 2);
    pipeline.ChangeView({900, 0, 0});
    pipeline.ChangeView({900, 0, 450});
    (void)pipeline.Picture(300);
    EXPECT_EQ(pipeline.DrawCount(), 3);
}

TEST_F(ScenePipelineTest, TheDeferredPictureEqualsARedrawAfterEveryStep)
{
    const StickControls sticks{true, 50, 700};
    const ViewAngles angles{300, 1200, 2100};
    const TranslationCell cell{2, 3, 2.5, 2.2, 0.5, 0};
    Open(sticks, angles, cell);
    EXPECT_EQ(pipeline.Model().LXyzTrans.FCount, 18);
    EXPECT_GT(pipeline.Model().LStick.FCount, 0);

    // The same steps on a bare scene, drawn at once after every step that changes what is shown.
    Scene scene;
    LoadSmallElements(scene.LAtom);
    QImage eager = MakeSceneBitmap();
    ASSERT_NO_FATAL_FAILURE(ReadMolecule(scene));
    scene.UpdateSticks(sticks);
    scene.Rotate(angles);
    DrawScene(scene, eager, 250);
    scene.RebuildTranslation(cell);
    scene.UpdateSticks(sticks);
    scene.Rotate(angles);
    DrawScene(scene, eager, 250);
    EXPECT_TRUE(pipeline.Picture(250) == eager);

    TextBuffer lazySvg;
    SvgLines eagerSvg;
    pipeline.DrawWithSvg(250, lazySvg);
    DrawScene(scene, eager, 250, &eagerSvg);
    EXPECT_EQ(lazySvg.Lines(), eagerSvg);
}

TEST_F(ScenePipelineTest, ACountMismatchChangesNothing)
{
    Open({false, 0, 500}, {});
    const QImage before = pipeline.Picture(500).copy();
    EXPECT_EQ(pipeline.OpenXyz("5\n\nC 0 0 0\n").outcome, XyzReadOutcome::CountMismatch);
    EXPECT_EQ(pipeline.Model().LXyz.FCount, 3);
    EXPECT_TRUE(pipeline.Picture(500) == before);
}

TEST_F(ScenePipelineTest, TheRotationWaitsForAPictureAndShowsWhatAnEagerRotationShowed)
{
    // The rotation runs when a picture is asked for. A step that changes what it reads without
    // rotating again (the element table) must not show through: the picture is the one of a
    // rotation made at once after every stick and angle handler.
    const StickControls sticks{true, 50, 600};
    const ViewAngles angles{300, 1200, 2100};
    Open(sticks, angles);
    EXPECT_EQ(pipeline.Model().LStickView.FCount, 0);  // nothing asked for a picture yet
    pipeline.Retranslate(TranslationCell{2, 1, 3, 3, 0, 0}, sticks, angles);
    pipeline.ChangeView({900, 450, 0});
    std::vector<std::string> lines = SmallElementLines();
    lines[1] = "C\t1.5\t0x00909090\t1.70";  // larger carbons: other stick ends
    EXPECT_TRUE(pipeline.LoadElementTable(lines).complete);
    const QImage& lazy = pipeline.Picture(400);

    Scene scene;
    LoadSmallElements(scene.LAtom);
    ASSERT_NO_FATAL_FAILURE(ReadMolecule(scene));
    scene.UpdateSticks(sticks);
    scene.Rotate(angles);
    scene.RebuildTranslation(TranslationCell{});
    scene.UpdateSticks(sticks);
    scene.Rotate(angles);
    scene.RebuildTranslation(TranslationCell{2, 1, 3, 3, 0, 0});
    scene.UpdateSticks(sticks);
    scene.Rotate(angles);
    scene.Rotate({900, 450, 0});
    (void)LoadAtom(lines, scene.LAtom);
    QImage eager = MakeSceneBitmap();
    DrawScene(scene, eager, 400);
    EXPECT_TRUE(lazy == eager);
    EXPECT_EQ(pipeline.Model().LStickView.FCount, scene.LStickView.FCount);
}

TEST_F(ScenePipelineTest, TheBitmapIsWhiteUntilPaintedAndTheStepsAreTold)
{
    ScenePipeline fresh;
    EXPECT_EQ(fresh.Bitmap().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(fresh.Bitmap().pixel(SceneBitmapSize - 1, SceneBitmapSize - 1), qRgb(255, 255, 255));

    std::vector<std::string> steps;
    pipeline.SetProgress([&](const char* step) { steps.emplace_back(step); });
    Open({true, 50, 500}, {});
    (void)pipeline.Picture(500);
    EXPECT_EQ(steps, (std::vector<std::string>{"sticks", "repeating", "sticks", "rotating", "drawing"}));
}

}  // namespace
