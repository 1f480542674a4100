#include "MBmpSaveLoad.h"

#include "MFileName.h"
#include "MFileSave.h"
#include "MLargeBuffer.h"
#include "MMessageText.h"
#include "MTrace.h"

#include <QBuffer>
#include <QImageWriter>

#include <gif_lib.h>

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace {

// The scene is held as RGB32, so for it this costs nothing; other formats are expanded once.
QImage AsRgb32(const QImage& picture)
{
    if (picture.format() == QImage::Format_RGB32)
        return picture;
    return picture.convertToFormat(QImage::Format_RGB32);
}

// Qt writes an RGB32 picture as a 24-bit BMP, PNG type RGB and a baseline JPEG.
bool WriteWithImageWriter(const QImage& picture, QIODevice& sink, const char* format)
{
    if (picture.isNull())
        return false;
    const QImage rgb = AsRgb32(picture);
    if (rgb.isNull())
        return false;
    QImageWriter writer(&sink, format);
    return writer.write(rgb);
}

// ---- GIF -------------------------------------------------------------------------------

constexpr int kGifMaxSide = 65535;
constexpr std::size_t kGifMaxColours = 256;
constexpr int kGifColourResolution = 8;

struct IndexedPicture {
    std::vector<GifColorType> palette;
    std::vector<GifByteType> indexes;  // one byte per pixel, rows top-down, no padding
};

// Palette of the colours met so far, at most 256, found again through a small open-addressing
// table: a scene picture has a few dozen colours, so every look-up ends in one or two probes.
class ExactPalette {
public:
    explicit ExactPalette(std::vector<GifColorType>& palette) : palette_(palette) { keys_.fill(kEmptySlot); }

    // The colour's index, added if new; -1 when it would be colour number 257.
    int IndexOf(std::uint32_t rgb)
    {
        std::size_t slot = (rgb * 2654435761u) >> (32 - kSlotBits);
        while (keys_[slot] != kEmptySlot) {
            if (keys_[slot] == rgb)
                return indexes_[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        if (palette_.size() == kGifMaxColours)
            return -1;
        const auto index = static_cast<GifByteType>(palette_.size());
        palette_.push_back(GifColorType{static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
                                        static_cast<GifByteType>(rgb)});
        keys_[slot] = rgb;
        indexes_[slot] = index;
        return index;
    }

private:
    static constexpr int kSlotBits = 10;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    static constexpr std::uint32_t kEmptySlot = 0xFFFFFFFFu;  // never a masked 24-bit colour

    std::vector<GifColorType>& palette_;
    std::array<std::uint32_t, kSlots> keys_{};
    std::array<GifByteType, kSlots> indexes_{};
};

// Keeps every colour exactly; false as soon as the picture has more than 256 of them.
bool IndexExactColours(const QImage& rgb, IndexedPicture& indexed)
{
    indexed.palette.clear();
    ExactPalette palette(indexed.palette);
    const auto width = static_cast<std::size_t>(rgb.width());
    std::uint32_t lastColour = 0xFFFFFFFFu;
    GifByteType lastIndex = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        GifByteType* out = indexed.indexes.data() + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t colour = line[x] & 0x00FFFFFFu;
            // Scene pictures are long runs of one colour; skip the table for them.
            if (colour != lastColour) {
                const int index = palette.IndexOf(colour);
                if (index < 0)
                    return false;
                lastColour = colour;
                lastIndex = static_cast<GifByteType>(index);
            }
            out[x] = lastIndex;
        }
    }
    return true;
}

// Median cut over the whole picture (giflib's quantiser, which wants separate colour planes).
bool IndexByMedianCut(const QImage& rgb, IndexedPicture& indexed)
{
    const auto width = static_cast<std::size_t>(rgb.width());
    const std::size_t pixelCount = width * static_cast<std::size_t>(rgb.height());
    if (pixelCount > static_cast<std::size_t>(INT_MAX))  // the quantiser counts pixels in an int
        return false;
    std::vector<GifByteType> red(pixelCount);
    std::vector<GifByteType> green(pixelCount);
    std::vector<GifByteType> blue(pixelCount);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const std::size_t rowStart = static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x) {
            red[rowStart + x] = static_cast<GifByteType>(qRed(line[x]));
            green[rowStart + x] = static_cast<GifByteType>(qGreen(line[x]));
            blue[rowStart + x] = static_cast<GifByteType>(qBlue(line[x]));
        }
    }
    int colourCount = static_cast<int>(kGifMaxColours);
    indexed.palette.assign(kGifMaxColours, GifColorType{0, 0, 0});
    if (GifQuantizeBuffer(static_cast<unsigned>(rgb.width()), static_cast<unsigned>(rgb.height()), &colourCount,
                          red.data(), green.data(), blue.data(), indexed.indexes.data(), indexed.palette.data())
        != GIF_OK)
        return false;
    if (colourCount > 0 && static_cast<std::size_t>(colourCount) < kGifMaxColours)
        indexed.palette.resize(static_cast<std::size_t>(colourCount));
    return true;
}

// The quantiser builds its colours from 5-bit channels, which turns white into (248, 248, 248).
// Each entry becomes the mean of the true colours mapped to it, so a white background stays
// white and flat areas keep their colour.
void SetPaletteToMeanColours(const QImage& rgb, IndexedPicture& indexed)
{
    struct Sum {
        std::uint64_t red = 0, green = 0, blue = 0, count = 0;
    };
    std::array<Sum, kGifMaxColours> sums{};
    const auto width = static_cast<std::size_t>(rgb.width());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const GifByteType* indexes = indexed.indexes.data() + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x) {
            Sum& sum = sums[indexes[x]];
            sum.red += static_cast<std::uint64_t>(qRed(line[x]));
            sum.green += static_cast<std::uint64_t>(qGreen(line[x]));
            sum.blue += static_cast<std::uint64_t>(qBlue(line[x]));
            ++sum.count;
        }
    }
    const auto rounded = [](std::uint64_t total, std::uint64_t count) {
        return static_cast<GifByteType>((total + count / 2) / count);
    };
    for (std::size_t index = 0; index < indexed.palette.size(); ++index) {
        const Sum& sum = sums[index];
        if (sum.count > 0)
            indexed.palette[index] =
                GifColorType{rounded(sum.red, sum.count), rounded(sum.green, sum.count), rounded(sum.blue, sum.count)};
    }
}

// Exactly when the picture has at most 256 colours, by median cut when it has more.
bool IndexColours(const QImage& rgb, IndexedPicture& indexed)
{
    if (rgb.isNull())
        return false;
    indexed.indexes.resize(static_cast<std::size_t>(rgb.width()) * static_cast<std::size_t>(rgb.height()));
    if (IndexExactColours(rgb, indexed))
        return true;
    if (!IndexByMedianCut(rgb, indexed))
        return false;
    SetPaletteToMeanColours(rgb, indexed);
    return true;
}

// A GIF colour table has 2, 4, ..., 256 entries.
int GifTableSize(std::size_t colours)
{
    int size = 2;
    while (static_cast<std::size_t>(size) < colours)
        size *= 2;
    return size;
}

struct GifOutput {
    QIODevice* device = nullptr;
    bool failed = false;
};

int WriteGifBytes(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto* output = static_cast<GifOutput*>(gif->UserData);
    if (output->failed)
        return 0;
    if (output->device->write(reinterpret_cast<const char*>(bytes), length) != length) {
        output->failed = true;
        return 0;
    }
    return length;
}

struct ColorMapRelease {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

bool EncodeGif(IndexedPicture& indexed, int width, int height, QIODevice& sink)
{
    std::vector<GifColorType> table = indexed.palette;
    table.resize(static_cast<std::size_t>(GifTableSize(table.size())), GifColorType{0, 0, 0});
    const std::unique_ptr<ColorMapObject, ColorMapRelease> colourMap(
        GifMakeMapObject(static_cast<int>(table.size()), table.data()));
    if (!colourMap)
        return false;

    GifOutput output{&sink, false};
    int error = 0;
    GifFileType* gif = EGifOpen(&output, WriteGifBytes, &error);
    if (gif == nullptr)
        return false;
    bool written = EGifPutScreenDesc(gif, width, height, kGifColourResolution, 0, colourMap.get()) == GIF_OK
        && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; written && y < height; ++y) {
        GifByteType* row = indexed.indexes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        written = EGifPutLine(gif, row, width) == GIF_OK;
    }
    // Closing frees the handle even after an error. It does not check its own write of the
    // trailer byte, which is why the output callback remembers any refused write.
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    return written && closed && !output.failed;
}

// ---- PNG -------------------------------------------------------------------------------

constexpr std::array<unsigned char, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr unsigned char kPngBitDepth = 8;
constexpr unsigned char kPngTrueColour = 2;
constexpr unsigned char kPngPaletteColour = 3;
constexpr unsigned char kPngFilterNone = 0;

// The CRC-32 of PNG chunks (ISO 3309, reflected, polynomial 0xEDB88320).
class Crc32 {
public:
    Crc32()
    {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table_[n] = c;
        }
    }
    std::uint32_t Update(std::uint32_t crc, const unsigned char* bytes, std::size_t count) const
    {
        crc = ~crc;
        for (std::size_t i = 0; i < count; ++i)
            crc = table_[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
        return ~crc;
    }

private:
    std::array<std::uint32_t, 256> table_{};
};

void AppendBigEndian(QByteArray& out, std::uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    out.append(bytes, 4);
}

// One chunk: length, type, data, CRC of type and data.
void AppendPngChunk(QByteArray& out, const char (&type)[5], const char* data, std::size_t size)
{
    static const Crc32 crc;
    AppendBigEndian(out, static_cast<std::uint32_t>(size));
    const qsizetype typeAt = out.size();
    out.append(type, 4);
    out.append(data, static_cast<qsizetype>(size));
    AppendBigEndian(out, crc.Update(0, reinterpret_cast<const unsigned char*>(out.constData() + typeAt), size + 4));
}

// Room for the rows of a PNG, every byte of which is written before it is read. A thread keeps
// its room from one picture to the next, up to KeptRowBytes: a batch writes thousands of
// pictures, and fresh pages for each would be zeroed by the kernel every time. The rows of a
// larger picture get room of their own, given back after. Either way the pages are put in place
// in one call before the first write (MLargeBuffer.h).
class PngRowRoom {
public:
    explicit PngRowRoom(std::size_t bytes)
    {
        if (bytes > KeptRowBytes) {
            own_ = MLargeBuffer(bytes);
            MLargeBuffer::PrepareForWriting(own_.Data(), bytes);
            data_ = own_.Data();
            return;
        }
        thread_local Kept kept;
        if (kept.room.Size() < bytes) {
            kept.room = MLargeBuffer(bytes);
            kept.prepared = 0;
        }
        if (kept.room.Data() != nullptr && kept.prepared < bytes) {
            MLargeBuffer::PrepareForWriting(kept.room.Data(), bytes);
            kept.prepared = bytes;
        }
        data_ = kept.room.Data();
    }
    unsigned char* Data() const { return data_; }

private:
    // The palette rows of a scene bitmap (9 MB) are kept; the RGB rows of one (27 MB) are not.
    static constexpr std::size_t KeptRowBytes = std::size_t{16} << 20;
    struct Kept {
        MLargeBuffer room;
        std::size_t prepared = 0;  // the bytes whose pages are in place
    };
    MLargeBuffer own_;
    unsigned char* data_ = nullptr;
};

// The rows as PNG filter bytes and palette indexes: row y is byte 0 (no filter) followed by one
// index per pixel, in rows (at least (width + 1) x height bytes). False when the picture has more
// than 256 colours.
bool PaletteRows(const QImage& rgb, std::vector<GifColorType>& palette, unsigned char* rows)
{
    palette.clear();
    ExactPalette colours(palette);
    const auto width = static_cast<std::size_t>(rgb.width());
    std::uint32_t lastColour = 0xFFFFFFFFu;
    unsigned char lastIndex = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        unsigned char* out = rows + static_cast<std::size_t>(y) * (width + 1);
        *out++ = kPngFilterNone;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t colour = line[x] & 0x00FFFFFFu;
            if (colour != lastColour) {
                const int index = colours.IndexOf(colour);
                if (index < 0)
                    return false;
                lastColour = colour;
                lastIndex = static_cast<unsigned char>(index);
            }
            out[x] = lastIndex;
        }
    }
    return true;
}

// The rows as PNG filter bytes and 8-bit red, green and blue: row y is byte 0 (no filter)
// followed by three bytes per pixel, in rows (at least (3 x width + 1) x height bytes).
void RgbRows(const QImage& rgb, unsigned char* rows)
{
    const auto width = static_cast<std::size_t>(rgb.width());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        unsigned char* out = rows + static_cast<std::size_t>(y) * (3 * width + 1);
        *out++ = kPngFilterNone;
        for (std::size_t x = 0; x < width; ++x, out += 3) {
            out[0] = static_cast<unsigned char>(qRed(line[x]));
            out[1] = static_cast<unsigned char>(qGreen(line[x]));
            out[2] = static_cast<unsigned char>(qBlue(line[x]));
        }
    }
}

// A whole PNG file: the header of an 8-bit picture of the colour type, the palette when there
// is one, and one IDAT chunk holding the zlib stream that qCompress made of the rows.
bool WritePngFile(const QImage& rgb, unsigned char colourType, const QByteArray& palette, const QByteArray& compressed,
                  QIODevice& sink)
{
    // qCompress gives a zlib stream behind four bytes of length.
    constexpr qsizetype qCompressHeader = 4;
    if (compressed.size() <= qCompressHeader)
        return false;
    QByteArray png(reinterpret_cast<const char*>(kPngSignature.data()), kPngSignature.size());
    QByteArray header;
    AppendBigEndian(header, static_cast<std::uint32_t>(rgb.width()));
    AppendBigEndian(header, static_cast<std::uint32_t>(rgb.height()));
    header.append(static_cast<char>(kPngBitDepth));
    header.append(static_cast<char>(colourType));
    header.append(3, '\0');  // deflate, adaptive filtering, no interlace
    AppendPngChunk(png, "IHDR", header.constData(), static_cast<std::size_t>(header.size()));
    if (!palette.isEmpty())
        AppendPngChunk(png, "PLTE", palette.constData(), static_cast<std::size_t>(palette.size()));
    AppendPngChunk(png, "IDAT", compressed.constData() + qCompressHeader,
                   static_cast<std::size_t>(compressed.size() - qCompressHeader));
    AppendPngChunk(png, "IEND", nullptr, 0);
    return sink.write(png) == png.size();
}

// A palette PNG: 8-bit indexes, every colour kept exactly, rows unfiltered (a scene's long runs
// of one colour are what deflate packs best), zlib at the given level.
bool WritePalettePng(const QImage& rgb, QIODevice& sink, int level, bool& tooManyColours)
{
    std::vector<GifColorType> palette;
    const std::size_t rowsSize = (static_cast<std::size_t>(rgb.width()) + 1) * static_cast<std::size_t>(rgb.height());
    QByteArray compressed;
    {
        const PngRowRoom rows(rowsSize);
        if (rows.Data() == nullptr)
            return false;
        tooManyColours = !PaletteRows(rgb, palette, rows.Data());
        if (tooManyColours)
            return false;
        compressed = qCompress(rows.Data(), static_cast<qsizetype>(rowsSize), level);
    }
    QByteArray colours;
    for (const GifColorType& c : palette) {
        colours.append(static_cast<char>(c.Red));
        colours.append(static_cast<char>(c.Green));
        colours.append(static_cast<char>(c.Blue));
    }
    return WritePngFile(rgb, kPngPaletteColour, colours, compressed, sink);
}

// An RGB PNG for pictures of more colours (reduced pictures): 8 bits a channel, rows unfiltered
// as the palette PNG's, zlib at the given level. Unfiltered rows at level 3 write a 512 x 512
// reduced molecule about six times faster than Qt's writer (libpng's filter search at zlib's
// default level), in files about a sixth larger (PictureSizeBench).
bool WriteRgbPng(const QImage& rgb, QIODevice& sink, int level)
{
    const std::size_t rowsSize =
        (3 * static_cast<std::size_t>(rgb.width()) + 1) * static_cast<std::size_t>(rgb.height());
    QByteArray compressed;
    {
        const PngRowRoom rows(rowsSize);
        if (rows.Data() == nullptr)
            return false;
        RgbRows(rgb, rows.Data());
        compressed = qCompress(rows.Data(), static_cast<qsizetype>(rowsSize), level);
    }
    return WritePngFile(rgb, kPngTrueColour, {}, compressed, sink);
}

// ---- file names ------------------------------------------------------------------------

QString LowerCaseExtension(const QString& fileName)
{
    const qsizetype nameStart = fileName.lastIndexOf(u'/') + 1;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot >= nameStart ? fileName.mid(dot).toLower() : QString();
}

// "" and "folder/" name no file; appending ".bmp" to them would write a hidden ".bmp".
bool NamesAFile(const QString& fileName) { return !fileName.isEmpty() && !fileName.endsWith(u'/'); }

const char* FormatName(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Bmp:
        return "BMP";
    case PictureFormat::Png:
        return "PNG";
    case PictureFormat::Jpeg:
        return "JPEG";
    case PictureFormat::Gif:
        return "GIF";
    }
    return "";
}

// Encodes into memory, so that the file is written in one piece or not at all.
bool WritePictureFile(const QImage& picture, const PictureTarget& target, std::string& reason)
{
    const std::string fileName = FileNameToBytes(target.fileName);
    QByteArray bytes;
    QBuffer memory(&bytes);
    memory.open(QIODevice::WriteOnly);
    if (!WritePicture(picture, target.format, memory)) {
        reason = "Cannot write file \"" + EscapedForMessage(fileName) + "\". The picture cannot be encoded as "
            + FormatName(target.format);
        return false;
    }
    const MFileSaveResult saved =
        SaveFileAtomically(fileName, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    reason = saved.reason;
    return saved.saved;
}

// Why a name that names no file cannot be written.
std::string NoFileReason(const QString& fileName)
{
    if (fileName.isEmpty())
        return "No file name given";
    return "Cannot create file \"" + EscapedForMessage(FileNameToBytes(fileName)) + "\". Is a directory";
}

// A name that stands for something other than a regular file (a device, a FIFO, a folder) is
// no picture file: it is neither written through nor given an extension of its own
// ("/dev/null" would become a 27 MB "/dev/null.bmp").
bool NamesSomethingElse(const QString& fileName, std::string& reason)
{
    const std::string bytes = FileNameToBytes(fileName);
    struct stat info {};
    if (::stat(bytes.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return false;
    reason = "Cannot write file \"" + EscapedForMessage(bytes) + "\". It is not a regular file";
    return true;
}

}  // namespace

PictureTarget PictureTargetForFileName(const QString& fileName)
{
    const QString extension = LowerCaseExtension(fileName);
    if (extension == u".bmp")
        return {PictureFormat::Bmp, fileName};
    if (extension == u".png")
        return {PictureFormat::Png, fileName};
    if (extension == u".jpg" || extension == u".jpeg")
        return {PictureFormat::Jpeg, fileName};
    if (extension == u".gif")
        return {PictureFormat::Gif, fileName};
    return {PictureFormat::Bmp, fileName + QStringLiteral(".bmp")};
}

bool WriteBmpPicture(const QImage& picture, QIODevice& sink) { return WriteWithImageWriter(picture, sink, "bmp"); }

bool WritePngPicture(const QImage& picture, QIODevice& sink)
{
    return WritePngPicture(picture, sink, PngCompressionLevel);
}

bool WritePngPicture(const QImage& picture, QIODevice& sink, int level)
{
    if (picture.isNull())
        return false;
    const QImage rgb = AsRgb32(picture);
    if (rgb.isNull())
        return false;
    bool tooManyColours = false;
    const bool written = WritePalettePng(rgb, sink, level, tooManyColours);
    if (!tooManyColours)
        return written;
    return WriteRgbPng(rgb, sink, level);
}

bool WriteJpegPicture(const QImage& picture, QIODevice& sink) { return WriteWithImageWriter(picture, sink, "jpeg"); }

bool WriteGifPicture(const QImage& picture, QIODevice& sink)
{
    if (picture.isNull() || picture.width() > kGifMaxSide || picture.height() > kGifMaxSide)
        return false;
    const QImage rgb = AsRgb32(picture);
    IndexedPicture indexed;
    if (!IndexColours(rgb, indexed))
        return false;
    return EncodeGif(indexed, rgb.width(), rgb.height(), sink);
}

bool IndexPictureColours(const QImage& picture, std::vector<QRgb>& palette, std::vector<unsigned char>& indexes)
{
    IndexedPicture indexed;
    if (picture.isNull() || !IndexColours(AsRgb32(picture), indexed))
        return false;
    palette.clear();
    for (const GifColorType& colour : indexed.palette)
        palette.push_back(qRgb(colour.Red, colour.Green, colour.Blue));
    indexes = std::move(indexed.indexes);
    return true;
}

bool WritePicture(const QImage& picture, PictureFormat format, QIODevice& sink)
{
    switch (format) {
    case PictureFormat::Bmp:
        return WriteBmpPicture(picture, sink);
    case PictureFormat::Png:
        return WritePngPicture(picture, sink);
    case PictureFormat::Jpeg:
        return WriteJpegPicture(picture, sink);
    case PictureFormat::Gif:
        return WriteGifPicture(picture, sink);
    }
    return false;
}

bool BmpSaveToFile(const QImage* bitmap, const QString& fileName) noexcept
{
    std::string ignored;
    return BmpSaveToFile(bitmap, fileName, ignored);
}

bool BmpSaveToFile(const QImage* bitmap, const QString& fileName, std::string& reason) noexcept
{
    try {
        reason.clear();
        if (bitmap == nullptr || bitmap->isNull()) {
            reason = "No picture to save";
            return false;
        }
        if (!NamesAFile(fileName))
            reason = NoFileReason(fileName);
        else if (!NamesSomethingElse(fileName, reason)
                 && WritePictureFile(*bitmap, PictureTargetForFileName(fileName), reason))
            return true;
    } catch (const std::bad_alloc&) {
        reason = "Out of memory";  // short enough to need no memory itself
    } catch (...) {
        // Reported below like every other failure; nothing leaves this function.
        reason = "Unknown error";
    }
    TraceError(TraceUnitText, "Unknown error", "BmpSaveToFile");
    return false;
}
