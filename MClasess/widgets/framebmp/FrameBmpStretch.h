#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPSTRETCH_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPSTRETCH_H

// The frame's stretching copy without smoothing (the black-on-white mode). Enlarging repeats
// picture pixels. Shrinking merges several picture pixels into one, joining their colour values
// with a bitwise AND: a dark pixel wins over light ones, so a thin dark line on a light ground
// stays visible at any reduction instead of falling between the sampled pixels.
//
// Each axis is mapped on its own. Shrinking, picture pixel s goes to the view pixel that holds
// its centre, (s + 0.5) x t / n for n picture pixels onto t view pixels, so every view pixel gets
// at least one. Enlarging, view pixel d shows the picture pixel under its centre,
// (d + 0.5) x n / t.

#include <QImage>
#include <QRect>

namespace framebmp {

// Copies `sourceRect` of `source` onto `targetRect` of `target`, replacing what was there.
// `target` is Format_RGB32; `source` may be any format (32-bit formats are read in place, alpha
// dropped). Nothing is drawn when either rectangle is empty or not inside its image.
void StretchBlackOnWhite(QImage& target, const QRect& targetRect, const QImage& source, const QRect& sourceRect);

}  // namespace framebmp

#endif
