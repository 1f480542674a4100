#ifndef PELMORA_APP_CORE_KFACTOR_H
#define PELMORA_APP_CORE_KFACTOR_H

#include "MSingle.h"

// Turns a scroll-bar position into a factor between about 1/4 and 4, with 1 in the middle of the
// bar: t runs from -3 at position 0 to +3 at the maximum; K = 1 + t above the middle and
// 1 / (1 - t) below it. Both steps are rounded to single precision.
inline float KFactor(int position, int maximum)
{
    const float t = ToSingle(((position - maximum * 0.5) * 3 / maximum) * 2);
    return t > 0 ? ToSingle(1.0 + t) : ToSingle(1.0 / (1.0 - t));
}

#endif
