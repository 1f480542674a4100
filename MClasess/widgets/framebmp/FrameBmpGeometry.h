#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPGEOMETRY_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPGEOMETRY_H

// The viewer frame's arithmetic: the zoom law, the visible part of the picture, the two
// coordinate maps, the overview's size and rectangle, and the step of a drag. Everything here is
// a pure function of plain numbers, so it can be checked without a widget; TFrameBmp calls these
// with its own members.
//
// Picture pixels run x to the right and y downward, pixel k covering [k, k + 1). Paint-box pixels
// have the same orientation with the origin at the paint box's top-left corner.

#include <cstdint>

namespace framebmp {

// A rectangle of int32 X, Y, W, H, as VisibleArea, DrawArea and VisibleAreaS hold it.
struct TArea {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t W = 0;
    std::int32_t H = 0;
    friend bool operator==(const TArea&, const TArea&) = default;
};

// Conversion toward zero, as every pixel position of the frame is formed.
[[nodiscard]] std::int32_t Trunc(double value) noexcept;

// Halves away from zero: trunc(v + 0.5) for v > 0, trunc(v - 0.5) otherwise.
[[nodiscard]] std::int32_t RoundHalfAway(double value) noexcept;

// Zoom at which a W x H picture fits a PW x PH paint box: the smaller of PW / W and PH / H, a
// zero-sized side counting as 0.
[[nodiscard]] double ScaleFit(int pictureW, int pictureH, int paintW, int paintH) noexcept;

struct TScaleLimits {
    double Min = 0;
    double Max = 0;
};

// Half the fit, but at most 1, up to 100 times that: a picture that is small on screen can be
// shown at 1 to 100 screen pixels per picture pixel.
[[nodiscard]] TScaleLimits ScaleLimitsForFit(double fit) noexcept;

// The zoom bar carries 100 x Scale.
struct TZoomBarRange {
    int Minimum = 0;
    int Maximum = 1;
    int SmallStep = 2;
    int LargeStep = 20;
    friend bool operator==(const TZoomBarRange&, const TZoomBarRange&) = default;
};

[[nodiscard]] TZoomBarRange ZoomBarRangeFor(const TScaleLimits& limits) noexcept;

// Zoom of a bar position: the double nearest to position / 100.
[[nodiscard]] double ScaleOfZoomBarPosition(int position) noexcept;

// Bar position for a zoom of 0 or more: trunc(100 x scale), taken as the largest position whose
// zoom does not exceed `scale`. So every position's zoom gives back that position, although the
// plain product is a little below it for some (100 x 0.29 is 28.999999999999996 in doubles).
[[nodiscard]] int ZoomBarPosition(double scale) noexcept;

// Clamps a zoom into the limits: below Min it becomes Min, otherwise above Max it becomes Max.
[[nodiscard]] double ClampScale(double scale, const TScaleLimits& limits) noexcept;

struct TViewAreas {
    TArea Visible;  // picture pixels shown
    TArea Draw;     // where they are drawn in the paint box
};

// The part of a W x H picture shown at `scale` around the centre (fractions of W and H) in a
// PW x PH paint box, and where it lands. `scale` must be above 0. The width keeps one picture
// pixel in reserve when the rounded width would exceed the picture (W - 1, not W), so the
// picture's first and last columns are not shown while the whole picture is in view; a picture
// one pixel wide still shows its one column (likewise for the height).
[[nodiscard]] TViewAreas ComputeViewAreas(int pictureW, int pictureH, int paintW, int paintH, double scale,
                                          double centerX, double centerY) noexcept;

// Picture point to paint-box point, in place. Returns false and leaves the point when the
// visible area is empty; otherwise converts (also outside, so callers may extrapolate) and
// returns whether the point lies inside the visible area, edges included.
bool BmpToFrame(const TViewAreas& areas, double& x, double& y) noexcept;

// Paint-box point to picture point, in place. Always converts (an empty drawn area maps
// everything onto the visible area's corner) and returns whether the point lies inside a
// non-empty drawn area, edges included.
bool FrameToBmp(const TViewAreas& areas, double& x, double& y) noexcept;

// Size of the overview panel, bevel included: it keeps the picture's shape and takes
// 1 / divider of the paint box along the side that limits it, plus the bevel. A picture with a
// zero side gives 0 x 0.
struct TPanelSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TPanelSize&, const TPanelSize&) = default;
};
inline constexpr int OverviewBevel = 8;  // the overview's paint box is this much smaller
[[nodiscard]] TPanelSize OverviewPanelSize(int pictureW, int pictureH, int paintW, int paintH, double divider) noexcept;

// VisibleArea in overview pixels.
[[nodiscard]] TArea OverviewRectangle(const TArea& visible, double overviewScale) noexcept;

// Moves `from` one step toward `to`, or onto it when it is closer than `step`: how a drag catches
// up with a fast mouse, one redraw per step.
[[nodiscard]] int StepToward(int from, int to, int step) noexcept;

// Step of a main-view drag: a tenth of the drawn width, at least 1.
[[nodiscard]] int PanStep(int drawWidth) noexcept;

[[nodiscard]] double Clamp01(double value) noexcept;

}  // namespace framebmp

#endif
