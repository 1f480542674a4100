// Runs over many frames and files: frame selections and shares of them (--frame, --shard),
// several inputs in one run, and the size of the pictures (--size), run in-process.

#include "RunCommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <QImage>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>

#include <gif_lib.h>

#include "ExitCode.h"
#include "InProcessCommand.h"
#include "MFileName.h"
#include "TempDir.h"

namespace {

const char* const kElementTable = "Symbol\tRadius\tColor\tRadiusVdW\n"
                                  "C\t0.76\t0x00909090\t1.70\n"
                                  "H\t0.31\t0x00FFFFFF\t1.20\n"
                                  "O\t0.66\t0x000000FF\t1.52\n";

// The files of a folder and their bytes, by name.
std::map<std::string, std::string> Contents(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            files[entry.path().filename().string()] = ReadBytes(entry.path());
    return files;
}

std::vector<std::string> Names(const std::map<std::string, std::string>& files)
{
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files)
        names.push_back(name);
    return names;
}

// Frame k (from 1) of a trajectory: a carbon and an oxygen whose distance grows with k, so that
// every frame draws differently.
std::string TrajectoryFrame(int k)
{
    return "2\nframe " + std::to_string(k) + "\nC 0 0 0\nO " + std::to_string(1.0 + 0.25 * k) + " 0.5 0\n";
}

class BatchCommandTest : public ::testing::Test {
protected:
    BatchCommandTest()
    {
        WriteText(table, kElementTable);
        std::string frames;
        for (int k = 1; k <= 7; ++k)
            frames += TrajectoryFrame(k);
        WriteText(trajectory, frames);
    }

    // The run's options with the element table and an output folder of its own.
    std::vector<std::string> Arguments(const std::string& folder, const std::string& out,
                                       std::vector<std::string> more) const
    {
        std::filesystem::create_directories(dir.Path() / folder);
        std::vector<std::string> arguments = {"--elements", table, "--export", (dir.Path() / folder / out).string()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }

    TempDir dir;
    const std::string table = dir.File("elements.txt");
    const std::string trajectory = dir.File("walk.xyz");
};

TEST_F(BatchCommandTest, SelectionsAreNumberedByFrameAndTheSharesTogetherAreTheSingleRun)
{
    struct Case {
        const char* selection;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"3", {"out.png"}},
        {"2-4", {"out-0002.png", "out-0003.png", "out-0004.png"}},
        {"1-7:3", {"out-0001.png", "out-0004.png", "out-0007.png"}},
        {"all:2", {"out-0001.png", "out-0003.png", "out-0005.png", "out-0007.png"}},
        {"6-6", {"out-0006.png"}},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selection);
        const std::string single = "single" + std::to_string(run++);
        const CommandOutcome whole =
            RunInProcess(Arguments(single, "out.png", {"--size", "48", "--frame", c.selection, trajectory}));
        ASSERT_EQ(whole.status, ExitSuccess) << whole.err;
        const std::map<std::string, std::string> expected = Contents(dir.Path() / single);
        EXPECT_EQ(Names(expected), c.written);
        for (const int shards : {2, 3, 5}) {
            SCOPED_TRACE(shards);
            const std::string shared = single + "-of-" + std::to_string(shards);
            for (int k = 0; k < shards; ++k) {
                const std::string shard = std::to_string(k) + "/" + std::to_string(shards);
                const CommandOutcome part = RunInProcess(Arguments(
                    shared, "out.png", {"--size", "48", "--frame", c.selection, "--shard", shard, trajectory}));
                ASSERT_EQ(part.status, ExitSuccess) << part.err;
            }
            EXPECT_TRUE(Contents(dir.Path() / shared) == expected);
        }
    }
}

TEST_F(BatchCommandTest, AShareTakesThePositionsKModuloN)
{
    const CommandOutcome part = RunInProcess(
        Arguments("share", "f{frame}.png", {"--size", "16", "--frame", "2-7", "--shard", "1/3", trajectory}));
    ASSERT_EQ(part.status, ExitSuccess) << part.err;
    // Positions 1 and 4 of frames 2..7.
    EXPECT_EQ(Names(Contents(dir.Path() / "share")), (std::vector<std::string>{"f0003.png", "f0006.png"}));
}

TEST_F(BatchCommandTest, WrongSelectionsStopBeforeAnythingIsWritten)
{
    struct Case {
        const char* name;
        std::vector<std::string> options;
        std::string message;
    };
    const std::string pair = dir.File("pair.xyz");
    WriteText(pair, "2\npair\nC 0 0 0\nC 1.4 0 0\n");
    const Case cases[] = {
        {"frames past the end", {"--frame", "5-9", trajectory}, "pelmora: --frame 9: the file has 7 frames\n"},
        {"one of two files too short",
         {"--frame", "2-3", trajectory, pair},
         "pelmora: " + pair + ": --frame 2: the file has 1 frame\n"},
        {"K not below N", {"--frame", "all", "--shard", "2/2", trajectory}, "--shard 2/2: K must be below N"},
        {"malformed shard", {"--shard", "1:2", trajectory}, "--shard takes K/N with 0 <= K < N, not '1:2'"},
        {"malformed selection", {"--frame", "3-1", trajectory}, "--frame takes a frame number from 1, a range"},
        {"malformed size", {"--size", "20x", trajectory}, "--size takes W or WxH"},
        {"one file twice", {"--frame", "all", trajectory, trajectory}, "two outputs would be written to"},
        {"a frame field to a name the frames share",
         {"--frame", "1-2", trajectory, pair},
         "--frame 2: the file has 1 frame"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandOutcome outcome = RunInProcess(Arguments("wrong", "{name}-x.png", c.options));
        EXPECT_EQ(outcome.status, ExitUsage);
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_TRUE(Contents(dir.Path() / "wrong").empty());
    }
    const CommandOutcome clash = RunInProcess(Arguments("clash", "same.png", {trajectory, pair}));
    EXPECT_EQ(clash.status, ExitUsage);
    EXPECT_NE(clash.err.find("same.png"), std::string::npos) << clash.err;
    EXPECT_TRUE(Contents(dir.Path() / "clash").empty());
}

TEST_F(BatchCommandTest, ManyFilesAreEachWrittenByNameAndABadOneIsToldAndSkipped)
{
    std::vector<std::string> files;
    for (int k = 1; k <= 5; ++k) {
        files.push_back(dir.File("m" + std::to_string(k) + ".xyz"));
        WriteText(files.back(), TrajectoryFrame(k));
    }
    WriteText(files[2], "2\nbroken\nC 0 0 0\n");  // one atom line short
    files.push_back(dir.File("missing.xyz"));
    std::vector<std::string> options = {"--info", "--size", "32"};
    options.insert(options.end(), files.begin(), files.end());
    const CommandOutcome outcome = RunInProcess(Arguments("many", "{name}.png", options));
    EXPECT_EQ(outcome.status, ExitFailure);
    EXPECT_EQ(Names(Contents(dir.Path() / "many")),
              (std::vector<std::string>{"m1.png", "m2.png", "m4.png", "m5.png"}));
    // Each rejected file is told with the window's message; --info tells the others in order.
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 2) << outcome.err;
    std::vector<std::string> told;
    std::istringstream lines(outcome.out);
    for (std::string line; std::getline(lines, line);)
        told.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object()["file"].toString().toStdString());
    EXPECT_EQ(told, (std::vector<std::string>{files[0], files[1], files[3], files[4]}));
    // Each picture is the one a run of that file alone writes.
    for (const int k : {1, 4}) {
        const CommandOutcome alone = RunInProcess(Arguments("alone", "one.png", {"--size", "32", files[std::size_t(k - 1)]}));
        ASSERT_EQ(alone.status, ExitSuccess) << alone.err;
        EXPECT_TRUE(ReadBytes(dir.Path() / "alone" / "one.png")
                    == ReadBytes(dir.Path() / "many" / ("m" + std::to_string(k) + ".png")))
            << k;
    }
}

TEST_F(BatchCommandTest, TrajectoriesAmongManyFilesAreNumberedWithinTheirName)
{
    const std::string pair = dir.File("pair.xyz");
    WriteText(pair, "2\npair\nC 0 0 0\nC 1.4 0 0\n");
    const CommandOutcome numbered = RunInProcess(Arguments("numbered", "{name}.png", {"--frame", "all:3", "--size", "24", trajectory, pair}));
    ASSERT_EQ(numbered.status, ExitSuccess) << numbered.err;
    EXPECT_EQ(Names(Contents(dir.Path() / "numbered")),
              (std::vector<std::string>{"pair-0001.png", "walk-0001.png", "walk-0004.png", "walk-0007.png"}));
    const CommandOutcome fields = RunInProcess(Arguments("fields", "{frame}_{name}.png", {"--frame", "6-7", "--size", "24", trajectory}));
    ASSERT_EQ(fields.status, ExitSuccess) << fields.err;
    EXPECT_EQ(Names(Contents(dir.Path() / "fields")), (std::vector<std::string>{"0006_walk.png", "0007_walk.png"}));
}

TEST_F(BatchCommandTest, PicturesAreReducedToTheSizeAsked)
{
    struct Case {
        const char* size;
        const char* out;
        int width, height;
    };
    const Case cases[] = {
        {"200", "a.png", 200, 200},
        {"120x60", "b.png", 120, 60},
        {"50x90", "c.bmp", 50, 90},
        {"64", "d.jpg", 64, 64},
        {"33", "e.gif", 33, 33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const CommandOutcome outcome = RunInProcess(Arguments("sized", c.out, {"--size", c.size, "--frame", "7", trajectory}));
        ASSERT_EQ(outcome.status, ExitSuccess) << outcome.err;
        QImageReader reader(QString::fromStdString((dir.Path() / "sized" / c.out).string()));
        const QImage picture = reader.read();
        ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(picture.width(), c.width);
        EXPECT_EQ(picture.height(), c.height);
    }
    // The square scene is centred on white in a wide picture: the margins are white.
    const QImage wide(QString::fromStdString((dir.Path() / "sized" / "b.png").string()));
    for (const int x : {0, 29, 90, 119})
        for (const int y : {0, 30, 59})
            EXPECT_EQ(wide.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
    // The SVG drawing ignores the size.
    const CommandOutcome svg = RunInProcess(Arguments("svg", "s.svg", {"--size", "10", trajectory}));
    EXPECT_EQ(svg.status, ExitSuccess);
    EXPECT_NE(ReadBytes(dir.Path() / "svg" / "s.svg").find("width=\"3000px\""), std::string::npos);
}

TEST_F(BatchCommandTest, SeveralFramesIntoAGifMakeOneAnimationOfTheFramePictures)
{
    const CommandOutcome movie = RunInProcess(Arguments("movie", "walk.gif", {"--frame", "all:2", "--size", "40", "--fps", "4", trajectory}));
    ASSERT_EQ(movie.status, ExitSuccess) << movie.err;
    EXPECT_EQ(Names(Contents(dir.Path() / "movie")), (std::vector<std::string>{"walk.gif"}));
    int error = 0;
    GifFileType* gif = DGifOpenFileName((dir.Path() / "movie" / "walk.gif").c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 4);
    for (int k = 0; k < gif->ImageCount; ++k) {
        SCOPED_TRACE(k);
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, k, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, 25);
        // Frame 2k+1 as a picture of its own.
        const CommandOutcome still = RunInProcess(
            Arguments("still", "still.png", {"--frame", std::to_string(2 * k + 1), "--size", "40", trajectory}));
        ASSERT_EQ(still.status, ExitSuccess) << still.err;
        const QImage expected(QString::fromStdString((dir.Path() / "still" / "still.png").string()));
        const SavedImage& image = gif->SavedImages[k];
        ASSERT_EQ(image.ImageDesc.Width, 40);
        int differing = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const GifColorType c = image.ImageDesc.ColorMap->Colors[image.RasterBits[y * 40 + x]];
                differing += qRgb(c.Red, c.Green, c.Blue) == (expected.pixel(x, y) | 0xFF000000u) ? 0 : 1;
            }
        EXPECT_EQ(differing, 0);
    }
    DGifCloseFile(gif, &error);
    // One frame into a GIF stays a picture; --shard cannot split a movie.
    const CommandOutcome one = RunInProcess(Arguments("one", "walk.gif", {"--frame", "3", "--size", "40", trajectory}));
    ASSERT_EQ(one.status, ExitSuccess) << one.err;
    gif = DGifOpenFileName((dir.Path() / "one" / "walk.gif").c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, 1);
    DGifCloseFile(gif, &error);
    const CommandOutcome shared = RunInProcess(Arguments("shared", "walk.gif", {"--frame", "all", "--shard", "0/2", trajectory}));
    EXPECT_EQ(shared.status, ExitUsage);
    EXPECT_NE(shared.err.find("--shard splits frames among runs, a movie takes all of its own"), std::string::npos);
    EXPECT_TRUE(Contents(dir.Path() / "shared").empty());
}

TEST_F(BatchCommandTest, VideosHaveTheSelectedFramesAtAnEvenSizeAndTheRateAsked)
{
    if (std::system("ffprobe -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffprobe is not installed (scripts/install-deps installs ffmpeg)";
    const CommandOutcome video =
        RunInProcess(Arguments("video", "{name}.mp4", {"--frame", "2-7", "--size", "33", "--fps", "8", trajectory}));
    ASSERT_EQ(video.status, ExitSuccess) << video.err;
    const std::string probe = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=width,height,r_frame_rate,nb_read_frames -of csv=p=0 '"
        + (dir.Path() / "video" / "walk.mp4").string() + "'";
    std::string text;
    if (FILE* pipe = ::popen(probe.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            text += buffer;
        ::pclose(pipe);
    }
    EXPECT_EQ(text, "34,34,8/1,6\n");
    EXPECT_EQ(Names(Contents(dir.Path() / "video")), (std::vector<std::string>{"walk.mp4"}));
}

}  // namespace
