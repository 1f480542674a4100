#ifndef PELMORA_APP_OUTPUT_AREAAVERAGE_H
#define PELMORA_APP_OUTPUT_AREAAVERAGE_H

// A picture reduced by averaging areas exactly: each new pixel is the mean of the part of the
// picture it covers, every old pixel weighted by the share of it that falls inside, rounded to
// the nearest value (halves up). The arithmetic is in integers, so every build gives the same
// bytes.
//
// It runs on the calling thread alone (a batch reduces one picture per thread), and its time
// goes with what is painted: pixels of the ground colour are passed over in blocks and cost no
// arithmetic, since the sums are kept as differences from the ground.

#include <QImage>
#include <QSize>

// picture (any format; taken as RGB32) reduced to size, RGB32. size must be 1 x 1 at least and
// no larger than the picture in either direction; otherwise, or for a null picture, or when
// the memory is not there, a null picture. ground only makes the work faster where the picture
// holds it; the result is the same for any ground.
QImage AreaAverage(const QImage& picture, QSize size, QRgb ground);

#endif
