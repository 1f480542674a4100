#include "MBmpSaveLoad.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <gif_lib.h>

#include <gtest/gtest.h>

#include "MFileName.h"
#include "ScenePictures.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const QImage& SceneOfThreeHundredBalls()
{
    static const QImage picture = ScenePicture(300);
    return picture;
}

// Small and asymmetric: red grows along x, green along y, so a swapped channel, a mirrored
// row or a flipped picture all change some pixel.
QImage GradientPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(10 + 40 * x, 20 + 50 * y, 200));
    return picture;
}

// Pixel i of a 64 x 80 picture takes colour i % colourCount; all colours differ.
QImage PictureOfColours(int colourCount)
{
    QImage picture(64, 80, QImage::Format_RGB32);
    for (int i = 0; i < picture.width() * picture.height(); ++i) {
        const int k = i % colourCount;
        picture.setPixel(i % picture.width(), i / picture.width(), qRgb(k % 256, (k / 256) * 13, (k * 7) % 256));
    }
    return picture;
}

// ---- independent readers ----------------------------------------------------------------

QImage DecodeWithQt(const QByteArray& bytes)
{
    QImage picture;
    picture.loadFromData(bytes);
    return picture.isNull() ? picture : picture.convertToFormat(QImage::Format_RGB32);
}

struct DecodedGif {
    QImage picture;
    int paletteSize = 0;
};

int ReadGifBytes(GifFileType* gif, GifByteType* bytes, int length)
{
    return static_cast<int>(static_cast<QBuffer*>(gif->UserData)->read(reinterpret_cast<char*>(bytes), length));
}

DecodedGif DecodeGif(const QByteArray& bytes)
{
    QBuffer source;
    source.setData(bytes);
    source.open(QIODevice::ReadOnly);
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadGifBytes, &error);
    if (gif == nullptr)
        return {};
    DecodedGif decoded;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SColorMap != nullptr) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map = gif->SColorMap;
        const int width = image.ImageDesc.Width;
        const int height = image.ImageDesc.Height;
        QImage picture(width, height, QImage::Format_RGB32);
        bool indexesValid = !image.ImageDesc.Interlace && width == gif->SWidth && height == gif->SHeight;
        for (int y = 0; indexesValid && y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const int index = image.RasterBits[static_cast<std::size_t>(y) * width + x];
                indexesValid = indexesValid && index < map->ColorCount;
                const GifColorType& colour = map->Colors[index % map->ColorCount];
                line[x] = qRgb(colour.Red, colour.Green, colour.Blue);
            }
        }
        if (indexesValid)
            decoded = {picture, map->ColorCount};
    }
    DGifCloseFile(gif, &error);
    return decoded;
}

QImage DecodeAny(const QByteArray& bytes)
{
    return bytes.startsWith("GIF8") ? DecodeGif(bytes).picture : DecodeWithQt(bytes);
}

QByteArray ReadFile(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray WriteToMemory(const QImage& picture, PictureFormat format)
{
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WritePicture(picture, format, sink));
    return sink.data();
}

std::uint32_t BigEndianAt(const QByteArray& bytes, int offset)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

std::uint32_t LittleEndianAt(const QByteArray& bytes, int offset, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes.at(offset + i));
    return value;
}

int LargestChannelDifference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

double MeanChannelDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qRed(lineA[x]) - qRed(lineB[x])) + std::abs(qGreen(lineA[x]) - qGreen(lineB[x]))
                + std::abs(qBlue(lineA[x]) - qBlue(lineB[x]));
    }
    return sum / (3.0 * a.width() * a.height());
}

bool IsFlatAround(const QImage& picture, int x, int y, int reach)
{
    if (x < reach || y < reach || x + reach >= picture.width() || y + reach >= picture.height())
        return false;
    const QRgb colour = picture.pixel(x, y);
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            if (picture.pixel(x + dx, y + dy) != colour)
                return false;
    return true;
}

QStringList FilesIn(const QString& folder)
{
    QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

// ---- tests -------------------------------------------------------------------------------

TEST(BmpSaveToFile, ScenePictureDecodesInEveryFormat)
{
    struct Case {
        const char* fileName;
        QByteArray magic;
        bool lossless;
    };
    const Case kCases[] = {
        {"scene.bmp", "BM", true},
        {"scene.png", "\x89PNG\r\n\x1a\n", true},
        {"scene.jpg", "\xff\xd8\xff", false},
        {"scene.gif", "GIF8", true},
    };
    const QImage& scene = SceneOfThreeHundredBalls();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.fileName);
        const QString fileName = folder.filePath(QString::fromLatin1(c.fileName));
        ASSERT_TRUE(BmpSaveToFile(&scene, fileName));
        const QByteArray bytes = ReadFile(fileName);
        EXPECT_TRUE(bytes.startsWith(c.magic));
        const QImage decoded = DecodeAny(bytes);
        ASSERT_EQ(decoded.size(), scene.size());
        if (c.lossless) {
            EXPECT_TRUE(decoded == scene);
            continue;
        }
        EXPECT_LT(MeanChannelDifference(decoded, scene), 1.0);
        // Inside a flat area the lossy format must keep the colour, with channels in place.
        int probes = 0;
        for (const Disc& disc : SceneDiscs(300)) {
            if (!IsFlatAround(scene, disc.x, disc.y, 16))
                continue;
            ++probes;
            EXPECT_LE(LargestChannelDifference(decoded.pixel(disc.x, disc.y), scene.pixel(disc.x, disc.y)), 6)
                << "disc at " << disc.x << ", " << disc.y;
        }
        EXPECT_GT(probes, 100);
    }
}

TEST(WriteBmpPicture, RowsAreBottomUpBgrPaddedToFourBytes)
{
    // Widths 1 to 4 give row lengths of 3, 6, 9 and 12 bytes: 1, 2, 3 and 0 padding bytes.
    for (int width = 1; width <= 4; ++width) {
        SCOPED_TRACE(width);
        const int height = 3;
        const QImage picture = GradientPicture(width, height);
        const QByteArray bmp = WriteToMemory(picture, PictureFormat::Bmp);
        const int rowBytes = (3 * width + 3) / 4 * 4;
        ASSERT_EQ(bmp.size(), 54 + rowBytes * height);
        EXPECT_TRUE(bmp.startsWith("BM"));
        EXPECT_EQ(LittleEndianAt(bmp, 2, 4), static_cast<std::uint32_t>(bmp.size()));
        EXPECT_EQ(LittleEndianAt(bmp, 10, 4), 54u);  // pixel data offset
        EXPECT_EQ(LittleEndianAt(bmp, 14, 4), 40u);  // BITMAPINFOHEADER
        EXPECT_EQ(LittleEndianAt(bmp, 18, 4), static_cast<std::uint32_t>(width));
        EXPECT_EQ(LittleEndianAt(bmp, 22, 4), static_cast<std::uint32_t>(height));  // positive: bottom-up
        EXPECT_EQ(LittleEndianAt(bmp, 28, 2), 24u);                                 // bits per pixel
        EXPECT_EQ(LittleEndianAt(bmp, 30, 4), 0u);                                  // no compression
        for (int y = 0; y < height; ++y) {
            const int row = 54 + (height - 1 - y) * rowBytes;
            for (int x = 0; x < width; ++x) {
                const QRgb colour = picture.pixel(x, y);
                EXPECT_EQ(LittleEndianAt(bmp, row + 3 * x, 3), static_cast<std::uint32_t>(colour & 0xFFFFFFu))
                    << "pixel " << x << ", " << y;
            }
            for (int pad = 3 * width; pad < rowBytes; ++pad)
                EXPECT_EQ(bmp.at(row + pad), '\0');
        }
    }
}

TEST(WritePicture, EveryInputFormatIsWrittenAsItsColours)
{
    // Qt would keep an indexed or monochrome picture at 8 or 1 bits in a BMP; a 24-bit file is
    // what other programs expect of a saved scene.
    const QImage glyph = GradientPicture(5, 3);
    QImage mono(5, 3, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 255), qRgb(255, 0, 0)});
    mono.fill(0);
    mono.setPixel(1, 0, 1);
    mono.setPixel(4, 2, 1);
    struct Case {
        const char* name;
        QImage picture;
    };
    const Case kCases[] = {
        {"RGB888", glyph.convertToFormat(QImage::Format_RGB888)},
        {"ARGB32", glyph.convertToFormat(QImage::Format_ARGB32)},
        {"Indexed8", glyph.convertToFormat(QImage::Format_Indexed8)},
        {"Mono", mono},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const QImage expected = c.picture.convertToFormat(QImage::Format_RGB32);
        for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Png, PictureFormat::Gif}) {
            SCOPED_TRACE(static_cast<int>(format));
            const QByteArray bytes = WriteToMemory(c.picture, format);
            EXPECT_TRUE(DecodeAny(bytes) == expected);
            if (format == PictureFormat::Bmp) {
                EXPECT_EQ(LittleEndianAt(bytes, 28, 2), 24u);
            }
        }
    }
}

TEST(WritePngPicture, PalettePngsKeepEveryColourAtEveryLevel)
{
    // Up to 256 colours the file holds palette indexes (colour type 3) and a palette of exactly
    // the picture's colours; more colours take 8-bit RGB (colour type 2). Either way libpng,
    // which checks every chunk's CRC, must give back every pixel.
    struct Case {
        int colours;
        QSize size;
    };
    const Case kCases[] = {{1, {1, 1}}, {2, {7, 3}}, {3, {64, 80}}, {256, {64, 80}}, {257, {64, 80}}, {5120, {64, 80}}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.colours);
        const QImage picture = PictureOfColours(c.colours).copy(QRect(QPoint(0, 0), c.size));
        for (const int level : {0, 1, PngCompressionLevel, 9}) {
            SCOPED_TRACE(level);
            QBuffer sink;
            sink.open(QIODevice::WriteOnly);
            ASSERT_TRUE(WritePngPicture(picture, sink, level));
            const QByteArray bytes = sink.data();
            EXPECT_TRUE(DecodeWithQt(bytes) == picture);
            const bool palette = c.colours <= 256;
            EXPECT_EQ(static_cast<unsigned char>(bytes[25]), palette ? 3u : 2u);
            if (palette) {
                EXPECT_EQ(bytes.mid(37, 4), QByteArray("PLTE"));
                const int usedColours = std::min(c.colours, c.size.width() * c.size.height());
                EXPECT_EQ(BigEndianAt(bytes, 33), static_cast<std::uint32_t>(3 * usedColours));
            }
        }
    }
}

TEST(WriteGifPicture, KeepsUpTo256ColoursExactlyAndReducesMore)
{
    struct Case {
        int colours;
        int paletteSize;  // 0: reduced, at most 256
    };
    const Case kCases[] = {{1, 2}, {2, 2}, {3, 4}, {129, 256}, {256, 256}, {257, 0}, {5120, 0}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.colours);
        const QImage picture = PictureOfColours(c.colours);
        const DecodedGif decoded = DecodeGif(WriteToMemory(picture, PictureFormat::Gif));
        ASSERT_EQ(decoded.picture.size(), picture.size());
        if (c.paletteSize > 0) {
            EXPECT_EQ(decoded.paletteSize, c.paletteSize);
            EXPECT_TRUE(decoded.picture == picture);
        } else {
            // 5120 colours spread through the whole cube leave about 40 levels per palette
            // cell; a swapped channel or a wrong index would give errors near 80.
            EXPECT_LE(decoded.paletteSize, 256);
            EXPECT_LT(MeanChannelDifference(decoded.picture, picture), 16.0);
        }
    }
}

TEST(WriteGifPicture, ManyColoursKeepWhiteAndFlatAreas)
{
    // A smooth strip gives the picture more than 256 colours. Reduced colours built from 5-bit
    // channels would turn the background into (248, 248, 248); it must stay white, and the
    // balls must keep their colours with channels in place.
    QImage picture(600, 400, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 300; y < 400; ++y)
        for (int x = 0; x < 600; ++x)
            picture.setPixel(x, y, qRgb(x * 255 / 599, (y - 300) * 2, 128));
    PaintDisc(picture, 100, 100, 60, qRgb(255, 0, 0));
    PaintDisc(picture, 300, 100, 60, qRgb(0, 160, 0));
    PaintDisc(picture, 500, 100, 60, qRgb(0, 0, 255));
    const DecodedGif decoded = DecodeGif(WriteToMemory(picture, PictureFormat::Gif));
    ASSERT_EQ(decoded.picture.size(), picture.size());
    EXPECT_EQ(decoded.picture.pixel(590, 5), qRgb(255, 255, 255));
    EXPECT_EQ(decoded.picture.pixel(200, 250), qRgb(255, 255, 255));
    struct Probe {
        int x, y;
    };
    const Probe kProbes[] = {{100, 100}, {300, 100}, {500, 100}, {10, 390}, {590, 310}};
    for (const Probe& probe : kProbes) {
        SCOPED_TRACE(std::to_string(probe.x) + ", " + std::to_string(probe.y));
        EXPECT_LE(LargestChannelDifference(decoded.picture.pixel(probe.x, probe.y), picture.pixel(probe.x, probe.y)),
                  8);
    }
    EXPECT_LT(MeanChannelDifference(decoded.picture, picture), 2.0);
}

TEST(BmpSaveToFile, FileNameChoosesFormatAndName)
{
    struct Case {
        const char* given;
        const char* written;
        QByteArray magic;
    };
    const Case kCases[] = {
        {"x.bmp", "x.bmp", "BM"},
        {"x.BMP", "x.BMP", "BM"},
        {"X.PNG", "X.PNG", "\x89PNG"},
        {"x.Png", "x.Png", "\x89PNG"},
        {"x.jpg", "x.jpg", "\xff\xd8\xff"},
        {"x.JPEG", "x.JPEG", "\xff\xd8\xff"},
        {"x.gif", "x.gif", "GIF8"},
        {"x.txt", "x.txt.bmp", "BM"},
        {"a.tif", "a.tif.bmp", "BM"},
        {"x.", "x..bmp", "BM"},
        {"noext", "noext.bmp", "BM"},
        {"x.png.txt", "x.png.txt.bmp", "BM"},
        {"dots.png/name", "dots.png/name.bmp", "BM"},  // a dot in a folder is no extension
    };
    const QImage picture = GradientPicture(5, 3);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.given);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("dots.png")));
        ASSERT_TRUE(BmpSaveToFile(&picture, folder.filePath(QString::fromLatin1(c.given))));
        const QString written = folder.filePath(QString::fromLatin1(c.written));
        EXPECT_TRUE(ReadFile(written).startsWith(c.magic));
        EXPECT_EQ(DecodeAny(ReadFile(written)).size(), picture.size());
        // Nothing else was created, in particular not the given name when ".bmp" was added.
        const QString writtenName = QString::fromLatin1(c.written);
        QStringList expected{QStringLiteral("dots.png")};
        if (!writtenName.contains(u'/'))
            expected << writtenName;
        expected.sort();
        EXPECT_EQ(FilesIn(folder.path()), expected);
    }
}

TEST(BmpSaveToFile, FailuresReturnFalseCreateNothingAndSayWhy)
{
    const QImage picture = GradientPicture(5, 3);
    const QImage nullPicture;
    const QImage tooWideForGif(65536, 1, QImage::Format_RGB32);
    struct Case {
        const char* name;
        const QImage* bitmap;
        const char* fileName;
        const char* reason;  // "{dir}" stands for the folder
    };
    const Case kCases[] = {
        {"null pointer", nullptr, "x.png", "No picture to save"},
        {"null picture", &nullPicture, "x.bmp", "No picture to save"},
        {"folder that does not exist", &picture, "missing/x.png",
         "Cannot create file \"{dir}/missing/x.png\". No such file or directory"},
        {"folder that does not exist, BMP appended", &picture, "missing/x",
         "Cannot create file \"{dir}/missing/x.bmp\". No such file or directory"},
        {"a folder, not a file", &picture, "sub/", "Cannot create file \"{dir}/sub/\". Is a directory"},
        {"a picture GIF cannot hold", &tooWideForGif, "wide.gif",
         "Cannot write file \"{dir}/wide.gif\". The picture cannot be encoded as GIF"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("sub")));
        std::string reason = "stale";
        EXPECT_FALSE(BmpSaveToFile(c.bitmap, folder.filePath(QString::fromLatin1(c.fileName)), reason));
        EXPECT_EQ(QString::fromStdString(reason), QString::fromLatin1(c.reason).replace("{dir}", folder.path()));
        EXPECT_FALSE(BmpSaveToFile(c.bitmap, folder.filePath(QString::fromLatin1(c.fileName))));
        EXPECT_EQ(FilesIn(folder.path()), QStringList{QStringLiteral("sub")});
        EXPECT_TRUE(FilesIn(folder.filePath(QStringLiteral("sub"))).isEmpty());
    }
    std::string reason;
    EXPECT_FALSE(BmpSaveToFile(&picture, QString(), reason));
    EXPECT_EQ(reason, "No file name given");
}

// The picture is encoded before the file is touched, so a picture the encoder refuses leaves
// the old file whole, not emptied.
TEST(BmpSaveToFile, FailedSaveLeavesTheOldFileAsItWas)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath(QStringLiteral("keep.gif"));
    const QImage small = GradientPicture(5, 3);
    ASSERT_TRUE(BmpSaveToFile(&small, fileName));
    const QByteArray old = ReadFile(fileName);
    ASSERT_FALSE(old.isEmpty());

    const QImage tooWideForGif(65536, 1, QImage::Format_RGB32);
    EXPECT_FALSE(BmpSaveToFile(&tooWideForGif, fileName));
    EXPECT_EQ(ReadFile(fileName), old);
    EXPECT_EQ(FilesIn(folder.path()), QStringList{QStringLiteral("keep.gif")});
}

TEST(BmpSaveToFile, NamesThatAreNotUtf8AreWrittenByteForByte)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string base = folder.path().toStdString() + "/";
    const QImage picture = GradientPicture(5, 3);
    ASSERT_TRUE(BmpSaveToFile(&picture, FileNameFromBytes(base + "o\xff.png")));
    ASSERT_TRUE(BmpSaveToFile(&picture, FileNameFromBytes(base + "t\xfe.tif")));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(base))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"o\xff.png", "t\xfe.tif.bmp"}));

    std::string reason;
    EXPECT_FALSE(BmpSaveToFile(&picture, FileNameFromBytes(base + "no\xff/x.png"), reason));
    EXPECT_EQ(reason, "Cannot create file \"" + base + "no\\xff/x.png\". No such file or directory");
}

TEST(BmpSaveToFile, FullDiskIsAFailure)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full on this system";
    const QImage& scene = SceneOfThreeHundredBalls();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {"full.bmp", "full.png", "full.jpeg", "full.gif"}) {
        SCOPED_TRACE(name);
        const QString link = folder.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), link));
        EXPECT_FALSE(BmpSaveToFile(&scene, link));
    }
}

TEST(WritePicture, RefusedBytesAndOversizedGifAreFailures)
{
    const QImage picture = GradientPicture(5, 3);
    for (const PictureFormat format :
         {PictureFormat::Bmp, PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Gif}) {
        SCOPED_TRACE(static_cast<int>(format));
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        EXPECT_FALSE(WritePicture(picture, format, readOnly));
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_FALSE(WritePicture(QImage(), format, sink));
    }
    // GIF sizes are 16-bit fields.
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    EXPECT_FALSE(WriteGifPicture(QImage(65536, 1, QImage::Format_RGB32), sink));
    EXPECT_TRUE(sink.data().isEmpty());
}

}  // namespace
