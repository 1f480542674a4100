#ifndef PELMORA_APP_CORE_PAINTORDER_H
#define PELMORA_APP_CORE_PAINTORDER_H

// The order DrawScene paints the draw list in, and how it chooses it.

#include "Scene.h"

// The two orders DrawScene may paint in, for the same picture: far to near, each object over the
// ones behind it; or near to far, beginning while the draw list is still being sorted, each
// object only into the pixels no nearer one took. Near to far saves the painting of what is
// hidden and costs a check of every pixel and a final whitening.
enum class PaintOrder { Chosen, FarToNear, NearToFar };

// The order DrawScene chooses for a scene: near to far for a long draw list of many depths,
// far to near otherwise.
PaintOrder ChoosePaintOrder(const Scene& scene);

// How many different depths a sample of the scene's balls has (at most DepthSample): few when
// the scene is seen along a plane it lies in.
inline constexpr int DepthSample = 1024;
int SampledDepths(const Scene& scene);

// Makes DrawScene paint in one order whatever it would choose (Chosen: as it chooses), so that
// tests and benchmarks draw any scene both ways.
void SetPaintOrder(PaintOrder order);

// The order DrawScene paints a scene in: the one SetPaintOrder set, else the one it chooses.
PaintOrder PaintOrderFor(const Scene& scene);

#endif
