#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPTEXT_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPTEXT_H

// Texts of the cursor read-out: "x12.5y2960.0=153,102,051". Numbers are formed without the
// process's locale; the caller passes the decimal mark the user expects.

#include <QRgb>

#include <string>
#include <string_view>

namespace framebmp {

// One decimal, halves rounded away from zero ("0.0" pattern); a value that rounds to zero has no
// minus sign.
[[nodiscard]] std::string FormatOneDecimal(double value, std::string_view decimalMark);

// The pixel's red, green and blue values with three digits each, joined by commas.
[[nodiscard]] std::string ColourReadout(QRgb pixel);

// The read-out for a point outside the picture.
inline constexpr std::string_view NoColourReadout = "---,---,---";

// What an OnGetColor handler returns to let the frame form the colour text itself.
inline constexpr std::string_view OwnColourRequest = "GetColor";

[[nodiscard]] std::string ReadoutCaption(double x, double y, std::string_view colour, std::string_view decimalMark);

}  // namespace framebmp

#endif
