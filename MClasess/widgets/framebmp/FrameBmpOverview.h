#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPOVERVIEW_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPOVERVIEW_H

// The overview of the viewer frame: the whole picture stretched into a small buffer, everything
// outside the shown part darkened, and a green rectangle with a small circle at the view centre
// drawn over it. This class builds and draws the overview; TFrameBmp decides when it is shown.

#include "FrameBmpGeometry.h"
#include "FrameBmpReducedCopies.h"

#include <QImage>
#include <QPoint>
#include <QSize>

class QPainter;

namespace framebmp {

class TFrameBmpOverview {
public:
    // Fills `target` (resized to `size`, 4 bytes per pixel) with the picture stretched over all
    // of it, then halves the colour bytes of every pixel outside `rectangle`. The stretched copy
    // is kept and reused until the picture's content, the size or the smoothing changes, so a
    // repaint costs one copy and one darkening pass.
    void Render(QImage& target, const QImage* picture, QSize size, bool smooth, TReducedCopies& copies,
                const TArea& rectangle);

    // Forgets the kept copy (the picture was reloaded).
    void Invalidate() noexcept;

    // The green rectangle (its outline covers the columns X .. X + W - 1 and rows Y .. Y + H - 1)
    // and the circle around the view centre.
    static void DrawMarks(QPainter& painter, const TArea& rectangle, QPoint centre);

    static constexpr QRgb RectangleColour = 0xFF008000;  // RGB 0, 128, 0

private:
    struct TKey {
        const QImage* Picture = nullptr;
        qint64 PictureKey = 0;
        QSize Size;
        bool Smooth = false;
        bool FromCopies = false;
        friend bool operator==(const TKey&, const TKey&) = default;
    };
    TKey FKey;
    QImage FStretched;
};

// Halves the blue, green and red bytes of every pixel of a 32-bit image that is not strictly
// inside the rectangle (X < column < X + W and Y < row < Y + H); the fourth byte is kept.
void DarkenOutside(QImage& image, const TArea& rectangle);

}  // namespace framebmp

#endif
