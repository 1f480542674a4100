#ifndef PELMORA_APP_CORE_BALLSTICKRASTER_H
#define PELMORA_APP_CORE_BALLSTICKRASTER_H

// The two raster primitives of the scene: a filled ball with a one-pixel rim and a stick band
// with round ends, painted without antialiasing straight into the rows of a 32-bit picture.
//
// Pixel (i, j) is the unit square centred on the point (i, j); a shape paints every pixel whose
// centre lies inside it. Everything is clipped to the picture, so coordinates far outside it
// cost nothing, but they must stay within +-MaxRasterCoordinate, where every product the
// primitives form still fits a 64-bit integer.

#include <cstdint>

#include <QImage>

inline constexpr std::int64_t MaxRasterCoordinate = std::int64_t{1} << 29;

// A pixel no shape has painted yet, when shapes are painted from the nearest to the farthest
// (OnlyUnpainted): fully transparent black, which no shape's opaque colour can be.
inline constexpr QRgb RasterUnpainted = 0x00000000;

class BallStickRaster {
public:
    // The picture must be Format_RGB32 (or one of the two ARGB32 formats, whose alpha is then
    // set opaque); it is detached here once, so painting never copies it.
    explicit BallStickRaster(QImage& picture);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // The same picture with painting limited to the rows firstRow .. lastRow (within the
    // picture): every primitive paints there exactly the pixels it paints in those rows of the
    // whole picture, so bands of rows can be painted apart, each by a thread of its own.
    BallStickRaster Rows(int firstRow, int lastRow) const;

    // The same picture, painting only pixels that still hold RasterUnpainted. Every shape paints
    // each of its pixels once, so painting shapes this way from the nearest to the farthest,
    // into rows filled with RasterUnpainted, leaves the picture of painting them from the
    // farthest to the nearest, each over the ones before.
    BallStickRaster OnlyUnpainted() const;

    // Fills the rows painting is limited to.
    void Fill(QRgb color);
    // Gives the pixels of those rows that still hold RasterUnpainted this colour.
    void FillUnpainted(QRgb color);

    // The ellipse inscribed in the box whose left and top edges are included and whose right
    // and bottom edges are not: it touches columns left .. right-1 and rows top .. bottom-1.
    // Its rim (every painted pixel with an unpainted pixel above, below, left or right of it)
    // takes the outline colour, the inside the fill colour. An empty box paints nothing.
    void Ellipse(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, QRgb fill, QRgb outline);

    // The line from (x1, y1) to (x2, y2), both ends included. A width of 1 or less paints one
    // pixel per column (or per row, along a steep line), and nothing when both ends are one
    // point; a wider line is a band of that many pixels across with round ends, a disc when
    // both ends are one point. Either direction paints the same pixels.
    void Stick(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t width, QRgb color);

    // Whether Ellipse or Stick with these arguments paints pixel (x, y) of a picture that holds
    // it: the same arithmetic as the painting, asked of one pixel.
    static bool EllipseCovers(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                              std::int64_t x, std::int64_t y);
    static bool StickCovers(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t width,
                            std::int64_t x, std::int64_t y);

private:
    // Paints the pixels x0 .. x1 of row y, clipped to the picture; y must be one of the rows
    // painting is limited to.
    void Span(std::int64_t y, std::int64_t x0, std::int64_t x1, QRgb color);
    void ThinLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QRgb color);

    QRgb* pixels_ = nullptr;
    std::int64_t pixelsPerLine_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::int64_t firstRow_ = 0;  // the rows painting is limited to
    std::int64_t lastRow_ = -1;
    bool onlyUnpainted_ = false;
};

#endif
