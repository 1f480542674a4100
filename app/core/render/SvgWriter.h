#ifndef PELMORA_APP_CORE_SVGWRITER_H
#define PELMORA_APP_CORE_SVGWRITER_H

// The SVG document of the scene, one text line per element, written by the drawing pass in
// drawing order (far to near); the text buffer saves it (SvgFile.h). One SVG user unit is one
// pixel of the scene bitmap.
//
// Numbers are written with FloatToSvg (a point, whatever the locale), colours as RRGGBB. An
// element any of whose numbers is not finite is left out, so the document stays valid SVG.
// Element names go into id attributes escaped, so the document is always well-formed XML.

#include <string>
#include <string_view>
#include <vector>

#include "MColor.h"

// The lines of an SVG document.
using SvgLines = std::vector<std::string>;

// The product's credit, written in red near the top left of every document.
inline constexpr const char* SvgCreditText = "Drawn with Pelmora";

// Six upper-case hexadecimal digits RRGGBB of a colour 0x00BBGGRR; the high byte is ignored.
std::string ColorToHex(TColor color);

// The text of an attribute value: &, <, >, " and ' as entity references, characters XML does
// not allow (control characters, U+FFFE, U+FFFF) as U+FFFD.
std::string XmlAttributeText(std::string_view text);

// Clears the lines and writes the XML declaration, the document type and the opening of the
// root element for a picture of width x height pixels (four lines).
void SvgBegin(SvgLines& svg, int width, int height);

// The credit line and the closing "</svg>".
void SvgEnd(SvgLines& svg, int width, int height);

// One ball: an ellipse with a one-unit black stroke, centred at (cx, cy), both radii `radius`.
void SvgEllipse(SvgLines& svg, std::string_view name, TColor color, float cx, float cy, float radius);

// One stick half: a rectangle 2 x halfWidth high that starts horizontal at (x1, y1 - halfWidth)
// and is turned about (x1, y1) so that it runs to (x2, y2). The ends are first put in order of
// y, so the angle lies between 0 and 180 degrees.
void SvgRect(SvgLines& svg, float x1, float y1, float x2, float y2, float halfWidth, TColor color, std::string_view id);

// The lines SvgEllipse and SvgRect add, or an empty text where they add nothing; they depend on
// their arguments alone, so the lines of a drawing can be made on several threads at once.
std::string SvgEllipseLine(std::string_view name, TColor color, float cx, float cy, float radius);
std::string SvgRectLine(float x1, float y1, float x2, float y2, float halfWidth, TColor color, std::string_view id);

#endif
