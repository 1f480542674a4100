#ifndef PELMORA_APP_CORE_SVGBODY_H
#define PELMORA_APP_CORE_SVGBODY_H

// The SVG elements of the scene, between the document's beginning and its end.

#include <cstdint>

#include "Scene.h"
#include "SceneGeometry.h"
#include "SvgWriter.h"

// The SVG lines of the sorted draw list, made in parts of entriesPerPart entries on every core and
// added in order.
void WriteSvgBody(const Scene& scene, const SceneGeometry& geometry, std::int64_t entriesPerPart, SvgLines& svg);

#endif
