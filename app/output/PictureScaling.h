#ifndef PELMORA_APP_OUTPUT_PICTURESCALING_H
#define PELMORA_APP_OUTPUT_PICTURESCALING_H

// Pictures reduced to the size asked for: each new pixel is the average of the area of the
// picture it covers, so thin sticks and ball edges fade as the eye expects instead of breaking
// up as every n-th pixel would.

#include <QImage>

// The picture reduced to width x height, RGB32. A picture of another shape keeps its own: it is
// reduced to fit and centred on background (the scene's white). A size at or above the
// picture's own returns the picture unscaled, centred the same way when the shape differs.
// A null picture, or a size below 1, gives a null picture.
QImage ScaledPicture(const QImage& picture, int width, int height, QRgb background = 0xFFFFFFFF);

#endif
