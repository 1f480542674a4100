#ifndef PELMORA_MCLASESS_MBMPSAVELOAD_H
#define PELMORA_MCLASESS_MBMPSAVELOAD_H

// Picture files: the viewer frame's save button writes the shown picture as BMP, PNG, JPEG or
// GIF, chosen by the file name's extension.
//
// What the writers put into a file:
// - Every picture is first taken as 24-bit RGB; an alpha channel is dropped, indexed and
//   monochrome pictures are expanded to their colours.
// - BMP: BITMAPINFOHEADER, 24 bits per pixel, no compression, bytes blue-green-red, rows stored
//   bottom-up (positive height), each row padded with zero bytes to a multiple of 4 bytes.
// - PNG: a picture of at most 256 colours (every scene picture) as 8-bit palette indexes, each
//   colour kept exactly; a picture of more colours (a reduced one) as 8-bit RGB, no alpha. Both
//   with rows unfiltered and zlib at PngCompressionLevel.
// - JPEG: baseline, the encoder's default quality (75).
// - GIF: one image, no animation, no transparency, a global palette of 2 to 256 entries (a power
//   of two). A picture of at most 256 colours keeps them exactly; a picture of more colours is
//   reduced by median cut. Width and height must not exceed 65535.
// - Each Write...Picture function returns false when the picture cannot be encoded or the sink
//   refuses bytes; the sink may hold part of the file by then. Only memory exhaustion throws.

#include <QIODevice>
#include <QImage>
#include <QString>

#include <string>
#include <vector>

enum class PictureFormat { Bmp, Png, Jpeg, Gif };

// Where a save goes: the format and the file name that is really written.
struct PictureTarget {
    PictureFormat format = PictureFormat::Bmp;
    QString fileName;
};

// The extension is the part of the name from the last dot after the last '/', matched without
// regard to case: ".bmp", ".png", ".jpg", ".jpeg", ".gif". Any other extension, or none, gives
// a BMP file whose name is the given one with ".bmp" appended ("a.tif" -> "a.tif.bmp",
// "x." -> "x..bmp").
PictureTarget PictureTargetForFileName(const QString& fileName);

[[nodiscard]] bool WriteBmpPicture(const QImage& picture, QIODevice& sink);
[[nodiscard]] bool WritePngPicture(const QImage& picture, QIODevice& sink);
// The same at another zlib level, 0 (stored) to 9 (smallest), for measuring the trade.
[[nodiscard]] bool WritePngPicture(const QImage& picture, QIODevice& sink, int level);

// zlib's level for palette PNGs, chosen on 3000 x 3000 scene pictures (MBmpSaveLoadBench,
// BM_PngLevel): level 3 writes as fast as level 1 with files a fifth smaller, and its files are
// no larger than those of Qt's RGB writer, in a tenth of the time; level 6 makes them a third
// smaller again in two and a half times the time, level 9 in ten times.
inline constexpr int PngCompressionLevel = 3;
[[nodiscard]] bool WriteJpegPicture(const QImage& picture, QIODevice& sink);
[[nodiscard]] bool WriteGifPicture(const QImage& picture, QIODevice& sink);
[[nodiscard]] bool WritePicture(const QImage& picture, PictureFormat format, QIODevice& sink);

// The picture's colours as the GIF writer takes them, for writers of GIF frames of their own
// (animated GIF): a palette of 1 to 256 colours and one index per pixel, rows top-down, no
// padding. A picture of at most 256 colours keeps them exactly; one of more is reduced by median
// cut, each entry the mean of the colours mapped to it. False for a null picture, or one too
// large for the quantiser.
[[nodiscard]] bool IndexPictureColours(const QImage& picture, std::vector<QRgb>& palette,
                                       std::vector<unsigned char>& indexes);

// Writes the bitmap to the file chosen by PictureTargetForFileName. The picture is encoded in
// memory first and the file replaced only when completely written (SaveFileAtomically): a
// failure leaves an existing file as it was. The file name's characters U+DC80..U+DCFF stand
// for bytes that are not UTF-8 (MFileName), so any Linux name can be written.
// A null pointer or a null picture returns false at once without touching the disk or posting
// anything. Any other failure (a file that cannot be created or written, an encoder error, an
// empty file name) posts one "Unknown error" and returns false.
[[nodiscard]] bool BmpSaveToFile(const QImage* bitmap, const QString& fileName) noexcept;

// The same, with why a save failed in reason (emptied on success), naming the file and giving
// the system's reason: "Cannot write file \"a.png\". No space left on device".
[[nodiscard]] bool BmpSaveToFile(const QImage* bitmap, const QString& fileName, std::string& reason) noexcept;

#endif
