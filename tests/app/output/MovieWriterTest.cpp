// Movies written frame by frame and read back by real decoders: animated GIFs by giflib, videos
// by ffprobe (frame count, size, rate).

#include "MovieWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include <link.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QPainter>

#include <gif_lib.h>

#include "TempDir.h"

namespace {

// Frame k: white with a red square at a place that moves with k and a blue bar, so that each
// frame differs and a swapped channel shows.
QImage Frame(QSize size, int k)
{
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(0xFFFFFFFF);
    QPainter painter(&frame);
    painter.fillRect(k * 3 % (size.width() - 8), 4, 8, 8, QColor(255, 0, 0));
    painter.fillRect(0, size.height() - 5, size.width() / 2, 5, QColor(0, 0, 255));
    return frame;
}

std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            text += buffer;
        ::pclose(pipe);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

bool HasFfprobe() { return std::system("ffprobe -version > /dev/null 2>&1") == 0; }

std::vector<std::string> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

void WriteMovie(const std::string& fileName, MovieKind kind, QSize size, int fps, int frames)
{
    std::string reason;
    const std::unique_ptr<MovieWriter> writer = OpenMovie(fileName, kind, size, fps, reason);
    ASSERT_TRUE(writer) << reason;
    for (int k = 0; k < frames; ++k)
        ASSERT_TRUE(writer->AddFrame(Frame(size, k))) << writer->Reason();
    ASSERT_TRUE(writer->Finish()) << writer->Reason();
}

TEST(MovieWriter, AnimatedGifHasEveryFrameWithItsOwnExactPaletteDelayAndLoop)
{
    TempDir dir;
    const std::string fileName = dir.File("m.gif");
    const QSize size(37, 23);
    WriteMovie(fileName, MovieKind::Gif, size, 20, 5);

    int error = 0;
    GifFileType* gif = DGifOpenFileName(fileName.c_str(), &error);
    ASSERT_NE(gif, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    EXPECT_EQ(gif->SWidth, size.width());
    EXPECT_EQ(gif->SHeight, size.height());
    ASSERT_EQ(gif->ImageCount, 5);
    // The looping extension comes before the first frame: its name, then loop count 0 (for ever).
    const SavedImage& first = gif->SavedImages[0];
    bool loops = false;
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i)
        loops |= first.ExtensionBlocks[i].Function == APPLICATION_EXT_FUNC_CODE
            && std::string(reinterpret_cast<char*>(first.ExtensionBlocks[i].Bytes), 11) == "NETSCAPE2.0"
            && first.ExtensionBlocks[i + 1].ByteCount == 3 && first.ExtensionBlocks[i + 1].Bytes[0] == 1
            && first.ExtensionBlocks[i + 1].Bytes[1] == 0 && first.ExtensionBlocks[i + 1].Bytes[2] == 0;
    EXPECT_TRUE(loops);
    for (int k = 0; k < gif->ImageCount; ++k) {
        SCOPED_TRACE(k);
        const SavedImage& image = gif->SavedImages[k];
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, k, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, 5);  // hundredths of a second at 20 frames per second
        ASSERT_NE(image.ImageDesc.ColorMap, nullptr);
        const QImage expected = Frame(size, k);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const GifColorType c = image.ImageDesc.ColorMap->Colors[image.RasterBits[y * size.width() + x]];
                ASSERT_EQ(qRgb(c.Red, c.Green, c.Blue), expected.pixel(x, y)) << x << "," << y;
            }
    }
    DGifCloseFile(gif, &error);
}

TEST(MovieWriter, VideosHaveTheirFramesSizeAndRate)
{
    if (!HasFfprobe())
        GTEST_SKIP() << "ffprobe is not installed (scripts/install-deps installs ffmpeg)";
    struct Case {
        const char* name;
        MovieKind kind;
        const char* codec;
        int fps;
    };
    const Case cases[] = {{"m.mp4", MovieKind::Mp4, "h264", 25}, {"m.webm", MovieKind::WebM, "vp9", 12}};
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string fileName = dir.File(c.name);
        WriteMovie(fileName, c.kind, QSize(64, 48), c.fps, 9);
        const std::string probe = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                  "stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 '"
            + fileName + "'";
        EXPECT_EQ(Output(probe), std::string(c.codec) + ",64,48," + std::to_string(c.fps) + "/1,9");
    }
    // Nothing but the movies is left in the folder.
    EXPECT_EQ(FilesIn(dir.Path()).size(), 2u);
}

TEST(MovieWriter, VideoSidesAreMadeEvenAndOddOnesRefused)
{
    EXPECT_EQ(MovieFrameSize(MovieKind::Mp4, QSize(33, 20)), QSize(34, 20));
    EXPECT_EQ(MovieFrameSize(MovieKind::WebM, QSize(1, 1)), QSize(2, 2));
    EXPECT_EQ(MovieFrameSize(MovieKind::Gif, QSize(33, 21)), QSize(33, 21));
    TempDir dir;
    std::string reason;
    EXPECT_FALSE(OpenMovie(dir.File("odd.mp4"), MovieKind::Mp4, QSize(33, 20), 10, reason));
    EXPECT_NE(reason.find("No video of that size or rate"), std::string::npos) << reason;
}

TEST(MovieWriter, AMovieReplacesItsFileOnlyWhenFinished)
{
    TempDir dir;
    for (const char* name : {"keep.gif", "keep.mp4"}) {
        SCOPED_TRACE(name);
        const std::string fileName = dir.File(name);
        std::ofstream(fileName) << "old";
        {
            std::string reason;
            const auto writer = OpenMovie(fileName, MovieKindOfFileName(fileName), QSize(16, 16), 10, reason);
            ASSERT_TRUE(writer) << reason;
            ASSERT_TRUE(writer->AddFrame(Frame(QSize(16, 16), 1)));
            EXPECT_FALSE(writer->AddFrame(Frame(QSize(10, 16), 1)));  // not the movie's size: the movie is lost
            EXPECT_NE(writer->Reason().find("a frame is not of the movie's size"), std::string::npos);
            EXPECT_FALSE(writer->Finish());
        }
        std::ifstream in(fileName);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    }
    EXPECT_EQ(FilesIn(dir.Path()).size(), 2u);  // no temporary file left behind
    std::string reason;
    EXPECT_FALSE(OpenMovie(dir.File("no/such/folder.gif"), MovieKind::Gif, QSize(16, 16), 10, reason));
    EXPECT_NE(reason.find("Cannot create file"), std::string::npos) << reason;
    EXPECT_FALSE(OpenMovie(dir.Path().string(), MovieKind::Mp4, QSize(16, 16), 10, reason));
    EXPECT_NE(reason.find("It is not a regular file"), std::string::npos) << reason;
}

TEST(MovieWriter, KindsAreChosenByExtensionWithoutRegardToCase)
{
    struct Case {
        const char* name;
        MovieKind kind;
    };
    const Case cases[] = {{"a.gif", MovieKind::Gif},   {"a.MP4", MovieKind::Mp4},    {"d.x/a.WebM", MovieKind::WebM},
                          {"a.png", MovieKind::None},  {"mp4", MovieKind::None},     {"a.mp4/b", MovieKind::None}};
    for (const Case& c : cases)
        EXPECT_EQ(MovieKindOfFileName(c.name), c.kind) << c.name;
}

bool LibraryLoaded(const char* name)
{
    bool found = false;
    std::pair<const char*, bool*> search(name, &found);
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* search = static_cast<std::pair<const char*, bool*>*>(data);
            if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, search->first) != nullptr)
                *search->second = true;
            return 0;
        },
        &search);
    return found;
}

// FFmpeg's libraries bring a hundred more shared libraries: loaded with the program, they would
// slow down the start of every run; they are loaded by the first video only.
TEST(MovieWriter, FfmpegIsLoadedByTheFirstVideoOnly)
{
    EXPECT_FALSE(LibraryLoaded("libavcodec"));
    TempDir dir;
    WriteMovie(dir.File("still.gif"), MovieKind::Gif, QSize(16, 16), 10, 2);
    EXPECT_FALSE(LibraryLoaded("libavcodec"));
    WriteMovie(dir.File("m.mp4"), MovieKind::Mp4, QSize(16, 16), 10, 2);
    EXPECT_TRUE(LibraryLoaded("libavcodec"));
}

}  // namespace
