#include "ScenePipeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "ElementFixture.h"

namespace {

// Two frames of three atoms, written out of depth order so that the reader's sorting by depth
// moves them, with a label for an element and a comment line before each frame's atoms.
const std::string kTrajectory = "3\n"
                                "frame one: a chlorine, a labelled carbon, a hydrogen\n"
                                "Cl 0.5 0.0 2.0\n"
                                "C1 9.5 0.0 -1.0\n"
                                "H 3.0 4.0 0.5\n"
                                "3\n"
                                "frame two\n"
                                "Cl 0.5 1.0 -2.0\n"
                                "C1 8.0 0.0 1.0\n"
                                "H 3.0 6.0 0.0\n";

struct FileAtomText {
    const char* symbol;
    const char* element;
    double x, y, z;
    int line;
};
// By frame, then by 1-based number in the frame.
const std::map<std::pair<int, int>, FileAtomText> kAtomsOfFile = {
    {{1, 1}, {"Cl", "Cl", 0.5, 0.0, 2.0, 3}}, {{1, 2}, {"C1", "C", 9.5, 0.0, -1.0, 4}},
    {{1, 3}, {"H", "H", 3.0, 4.0, 0.5, 5}},   {{2, 1}, {"Cl", "Cl", 0.5, 1.0, -2.0, 8}},
    {{2, 2}, {"C1", "C", 8.0, 0.0, 1.0, 9}},  {{2, 3}, {"H", "H", 3.0, 6.0, 0.0, 10}},
};

class ScenePipelinePickingTest : public ::testing::Test {
protected:
    ScenePipelinePickingTest() { EXPECT_TRUE(pipeline.LoadElementTable(SmallElementLines()).complete); }

    // Every scene atom picked at the centre of its ball; the balls lie apart, so each shows there.
    std::vector<PickedAtom> PickEveryAtom()
    {
        std::vector<PickedAtom> picked;
        for (int s = 0; s < pipeline.Model().LXyzTrans.FCount; ++s) {
            const auto ball = pipeline.BallOf(s);
            EXPECT_TRUE(ball.has_value());
            if (!ball)
                continue;
            const std::optional<PickedAtom> atom =
                pipeline.AtomAt(static_cast<int>(std::floor(ball->X)), static_cast<int>(std::floor(ball->Y)));
            EXPECT_TRUE(atom.has_value()) << "scene atom " << s;
            if (!atom)
                continue;
            EXPECT_EQ(atom->SceneAtom, s);
            picked.push_back(*atom);
        }
        return picked;
    }

    // The fields of every picked atom against the file's text and the repeat.
    void CheckAgainstFile(const std::vector<PickedAtom>& picked, int frame, const TranslationCell& cell)
    {
        std::set<std::tuple<std::int64_t, int, int>> seen;
        for (const PickedAtom& atom : picked) {
            SCOPED_TRACE(testing::Message() << "scene atom " << atom.SceneAtom);
            const auto found = kAtomsOfFile.find({frame, static_cast<int>(atom.FileAtom)});
            ASSERT_NE(found, kAtomsOfFile.end()) << "file atom " << atom.FileAtom;
            const FileAtomText& text = found->second;
            EXPECT_EQ(atom.Symbol, text.symbol);
            EXPECT_EQ(atom.Element, text.element);
            EXPECT_EQ(atom.FileLine, text.line);
            EXPECT_DOUBLE_EQ(atom.X, static_cast<float>(text.x));
            EXPECT_DOUBLE_EQ(atom.Y, static_cast<float>(text.y));
            EXPECT_DOUBLE_EQ(atom.Z, static_cast<float>(text.z));
            EXPECT_DOUBLE_EQ(atom.RepeatedX, atom.X + atom.CopyI * cell.Ax + atom.CopyJ * cell.Dx);
            EXPECT_DOUBLE_EQ(atom.RepeatedY, atom.Y + atom.CopyJ * cell.Ay + atom.CopyI * cell.Dy);
            EXPECT_DOUBLE_EQ(atom.RepeatedZ, atom.Z);
            EXPECT_TRUE(seen.insert({atom.FileAtom, atom.CopyI, atom.CopyJ}).second) << "picked twice";
        }
        // Every atom of the frame in every copy, once.
        EXPECT_EQ(seen.size(), std::size_t{3} * cell.Nx * cell.Ny);
    }

    ScenePipeline pipeline;
    const StickControls noSticks{false, 50, 500};
};

TEST_F(ScenePipelinePickingTest, APickedAtomNamesItsLineItsCoordinatesAsReadAndItsCopy)
{
    struct Case {
        const char* name;
        TranslationCell cell;
    };
    const Case cases[] = {
        {"the atoms as read", {1, 1, 10, 10, 0, 0}},
        {"a 2 x 3 repeat", {2, 3, 10, 12, 0, 0}},
        {"a sheared repeat", {3, 2, 11, 13, 4, -1.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
        pipeline.Rebuild(noSticks, c.cell, {300, 200, 100});
        (void)pipeline.Picture(500);
        CheckAgainstFile(PickEveryAtom(), 1, c.cell);
    }
}

TEST_F(ScenePipelinePickingTest, AtomsOfALaterFrameNameTheirLinesInThatFrame)
{
    const TranslationCell cell{2, 1, 10, 10, 0, 0};
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
    pipeline.Rebuild(noSticks, cell, {});
    (void)pipeline.Picture(500);
    ASSERT_EQ(pipeline.StepToFrame(2).outcome, XyzReadOutcome::Read);
    pipeline.Rebuild(noSticks, cell, {});
    (void)pipeline.Picture(500);
    CheckAgainstFile(PickEveryAtom(), 2, cell);
}

TEST_F(ScenePipelinePickingTest, ADistanceAcrossTheCellBorderIsBetweenTheRepeatedPlaces)
{
    // The chlorine of copy (1, 0) lies at (10.5, 0, 2), across the border from the carbon at
    // (9.5, 0, -1) of copy (0, 0): sqrt(1 + 9) apart. The chlorine read beside the carbon, at
    // (0.5, 0, 2), is sqrt(81 + 9) from it.
    const TranslationCell cell{2, 1, 10, 10, 0, 0};
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
    pipeline.Rebuild(noSticks, cell, {900, 0, 0});  // seen along y: the two balls lie apart
    (void)pipeline.Picture(500);
    std::optional<PickedAtom> carbon, chlorineBeyond, chlorineBeside;
    for (const PickedAtom& atom : PickEveryAtom()) {
        if (atom.Element == "C" && atom.CopyI == 0)
            carbon = atom;
        if (atom.Element == "Cl")
            (atom.CopyI == 1 ? chlorineBeyond : chlorineBeside) = atom;
    }
    ASSERT_TRUE(carbon && chlorineBeyond && chlorineBeside);
    EXPECT_EQ(MeasurementLine({*carbon, *chlorineBeyond}), "distance 3.162 Å");
    EXPECT_EQ(MeasurementLine({*chlorineBeside, *carbon}), "distance 9.487 Å");
}

TEST_F(ScenePipelinePickingTest, AnswersOnlyForTheSceneOfThePictureLastPainted)
{
    const TranslationCell cell{};
    // Before any picture: nothing.
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
    pipeline.Rebuild(noSticks, cell, {});
    const int middle = SceneBitmapSize / 2;
    EXPECT_EQ(pipeline.AtomAt(middle, middle), std::nullopt);
    EXPECT_EQ(pipeline.BallOf(0), std::nullopt);

    (void)pipeline.Picture(500);
    const auto ball = pipeline.BallOf(0);
    ASSERT_TRUE(ball.has_value());
    const int x = static_cast<int>(ball->X), y = static_cast<int>(ball->Y);
    ASSERT_TRUE(pipeline.AtomAt(x, y).has_value());
    struct Case {
        const char* name;
        int x, y;
    };
    for (const Case& c :
         {Case{"left of the bitmap", -1, y}, Case{"above it", x, -1}, Case{"right of it", SceneBitmapSize, y},
          Case{"below it", x, SceneBitmapSize}, Case{"the white corner", 0, 0}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pipeline.AtomAt(c.x, c.y), std::nullopt);
    }
    EXPECT_EQ(pipeline.BallOf(-1), std::nullopt);
    EXPECT_EQ(pipeline.BallOf(pipeline.Model().LXyzTrans.FCount), std::nullopt);

    // A view change keeps the answers of the picture shown until the next one is painted.
    pipeline.ChangeView({900, 0, 0});
    EXPECT_TRUE(pipeline.AtomAt(x, y).has_value());
    // A rebuild or another frame leaves nothing to answer until a picture is painted.
    pipeline.Retranslate(cell, noSticks, {});
    EXPECT_EQ(pipeline.AtomAt(x, y), std::nullopt);
    EXPECT_EQ(pipeline.BallOf(0), std::nullopt);
    (void)pipeline.Picture(500);
    ASSERT_EQ(pipeline.StepToFrame(2).outcome, XyzReadOutcome::Read);
    (void)pipeline.Picture(500);  // painted from the repeat of frame 1: no file place to name
    for (int s = 0; s < pipeline.Model().LXyzTrans.FCount; ++s) {
        const auto shown = pipeline.BallOf(s);
        ASSERT_TRUE(shown.has_value());
        const auto atom = pipeline.AtomAt(static_cast<int>(shown->X), static_cast<int>(shown->Y));
        ASSERT_TRUE(atom.has_value());
        EXPECT_EQ(atom->FileLine, 0);
    }
}

TEST_F(ScenePipelinePickingTest, ABallOnThePictureIsWhereItsPixelsAre)
{
    ASSERT_EQ(pipeline.OpenXyz(kTrajectory).outcome, XyzReadOutcome::Read);
    pipeline.Rebuild(noSticks, {}, {450, 300, 0});
    (void)pipeline.Picture(500);
    for (int s = 0; s < pipeline.Model().LXyzTrans.FCount; ++s) {
        SCOPED_TRACE(s);
        const auto ball = pipeline.BallOf(s);
        ASSERT_TRUE(ball.has_value());
        EXPECT_GT(ball->Radius, 10);
        // Just inside the box's left and right edges on the centre row the ball shows; just outside it does not.
        const int row = static_cast<int>(ball->Y);
        const auto left = pipeline.AtomAt(static_cast<int>(std::ceil(ball->X - ball->Radius)), row);
        const auto right = pipeline.AtomAt(static_cast<int>(std::ceil(ball->X + ball->Radius)) - 1, row);
        ASSERT_TRUE(left && right);
        EXPECT_EQ(left->SceneAtom, s);
        EXPECT_EQ(right->SceneAtom, s);
        EXPECT_EQ(pipeline.AtomAt(static_cast<int>(std::ceil(ball->X - ball->Radius)) - 1, row), std::nullopt);
        EXPECT_EQ(pipeline.AtomAt(static_cast<int>(std::ceil(ball->X + ball->Radius)), row), std::nullopt);
    }
}

}  // namespace
