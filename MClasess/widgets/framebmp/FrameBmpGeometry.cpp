#include "FrameBmpGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace framebmp {

std::int32_t Trunc(double value) noexcept
{
    // Saturate instead of overflowing: a zoom of 100 on a huge picture must not wrap around.
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(std::clamp(value, low, high));
}

std::int32_t RoundHalfAway(double value) noexcept { return value > 0 ? Trunc(value + 0.5) : Trunc(value - 0.5); }

double ScaleFit(int pictureW, int pictureH, int paintW, int paintH) noexcept
{
    const double a = pictureW == 0 ? 0.0 : static_cast<double>(paintW) / pictureW;
    const double b = pictureH == 0 ? 0.0 : static_cast<double>(paintH) / pictureH;
    return a < b ? a : b;
}

TScaleLimits ScaleLimitsForFit(double fit) noexcept
{
    TScaleLimits limits;
    limits.Min = std::min(fit * 0.5, 1.0);
    limits.Max = 100.0 * limits.Min;
    return limits;
}

TZoomBarRange ZoomBarRangeFor(const TScaleLimits& limits) noexcept
{
    TZoomBarRange range;
    range.Minimum = std::max(0, ZoomBarPosition(limits.Min));
    range.Maximum = std::max(ZoomBarPosition(limits.Max), range.Minimum + 1);
    range.SmallStep = std::max((range.Maximum - range.Minimum) / 200, 2);
    range.LargeStep = 10 * range.SmallStep;
    return range;
}

double ScaleOfZoomBarPosition(int position) noexcept { return position / 100.0; }

int ZoomBarPosition(double scale) noexcept
{
    // The rounded product is off by at most one position, either way.
    const std::int32_t position = Trunc(100.0 * scale);
    if (position < std::numeric_limits<std::int32_t>::max() && ScaleOfZoomBarPosition(position + 1) <= scale)
        return position + 1;
    if (position > 0 && ScaleOfZoomBarPosition(position) > scale)
        return position - 1;
    return position;
}

double ClampScale(double scale, const TScaleLimits& limits) noexcept
{
    if (scale < limits.Min)
        return limits.Min;
    if (scale > limits.Max)
        return limits.Max;
    return scale;
}

namespace {

// One axis of the visible area: its width in picture pixels and its start.
struct TSpan {
    std::int32_t Start = 0;
    std::int32_t Length = 0;
};

TSpan VisibleSpan(int pictureLength, int drawLength, double scale, double center) noexcept
{
    TSpan span;
    span.Length = RoundHalfAway(drawLength / scale);
    // One pixel in reserve, but a picture one pixel wide keeps its only column.
    if (span.Length > pictureLength)
        span.Length = std::max(pictureLength - 1, 1);
    span.Start = Trunc(pictureLength * center + 0.5 - span.Length * 0.5);
    if (span.Start < 0)
        span.Start = 0;
    else if (span.Start + span.Length > pictureLength)
        span.Start = pictureLength - span.Length;
    return span;
}

}  // namespace

TViewAreas ComputeViewAreas(int pictureW, int pictureH, int paintW, int paintH, double scale, double centerX,
                            double centerY) noexcept
{
    TViewAreas areas;
    const std::int32_t drawW = RoundHalfAway(pictureW * scale) + 1;
    const std::int32_t drawH = RoundHalfAway(pictureH * scale) + 1;
    areas.Draw.W = std::min(drawW, paintW);
    areas.Draw.H = std::min(drawH, paintH);

    const TSpan x = VisibleSpan(pictureW, areas.Draw.W, scale, centerX);
    const TSpan y = VisibleSpan(pictureH, areas.Draw.H, scale, centerY);
    areas.Visible = {x.Start, y.Start, x.Length, y.Length};

    areas.Draw.X = RoundHalfAway((paintW - areas.Draw.W) * 0.5);
    areas.Draw.Y = RoundHalfAway((paintH - areas.Draw.H) * 0.5);
    return areas;
}

bool BmpToFrame(const TViewAreas& areas, double& x, double& y) noexcept
{
    const TArea& v = areas.Visible;
    const TArea& d = areas.Draw;
    if (v.W == 0 || v.H == 0)
        return false;
    const bool inside =
        v.X <= x && x <= static_cast<double>(v.X) + v.W && v.Y <= y && y <= static_cast<double>(v.Y) + v.H;
    x = d.W * (x - v.X) / v.W + d.X;
    y = d.H * (y - v.Y) / v.H + d.Y;
    return inside;
}

bool FrameToBmp(const TViewAreas& areas, double& x, double& y) noexcept
{
    const TArea& v = areas.Visible;
    const TArea& d = areas.Draw;
    const bool inside = d.X <= x && x <= static_cast<double>(d.X) + d.W && d.Y <= y
        && y <= static_cast<double>(d.Y) + d.H && d.W != 0 && d.H != 0;
    const double fx = d.W == 0 ? 0.0 : (x - d.X) / d.W;
    const double fy = d.H == 0 ? 0.0 : (y - d.Y) / d.H;
    x = v.W * fx + v.X;
    y = v.H * fy + v.Y;
    return inside;
}

TPanelSize OverviewPanelSize(int pictureW, int pictureH, int paintW, int paintH, double divider) noexcept
{
    if (pictureW == 0 || pictureH == 0)
        return {};
    const double aspect = static_cast<double>(pictureH) / pictureW;
    TPanelSize size;
    if (paintW > paintH / aspect) {
        size.Height = Trunc(paintH / divider + OverviewBevel);
        size.Width = Trunc((size.Height - OverviewBevel) / aspect + OverviewBevel);
    } else {
        size.Width = Trunc(paintW / divider + OverviewBevel);
        size.Height = Trunc(aspect * (size.Width - OverviewBevel) + OverviewBevel);
    }
    return size;
}

TArea OverviewRectangle(const TArea& visible, double overviewScale) noexcept
{
    return {RoundHalfAway(visible.X * overviewScale), RoundHalfAway(visible.Y * overviewScale),
            RoundHalfAway(visible.W * overviewScale), RoundHalfAway(visible.H * overviewScale)};
}

int StepToward(int from, int to, int step) noexcept
{
    if (std::abs(to - from) < step)
        return to;
    return to > from ? from + step : from - step;
}

int PanStep(int drawWidth) noexcept { return std::max(drawWidth / 10, 1); }

double Clamp01(double value) noexcept { return std::clamp(value, 0.0, 1.0); }

}  // namespace framebmp
