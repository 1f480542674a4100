#include "ViewButtons.h"

#include <algorithm>

#include "FormMain_.h"

namespace {

const ViewButton ViewButtonTable[] = {
    {1, 215, 48, "view-away", "Look along -y: x to the left, z up (Ax 270°, Ay 180°)", ViewAngles{2700, 1800, 0},
     &TFormMain::SpeedButton1Click},
    {2, 191, 6, "view-up", "Look along z: x to the right, y down (all angles 0)", ViewAngles{0, 0, 0},
     &TFormMain::SpeedButton2Click},
    {3, 115, 48, "view-left", "Look along -x: y to the right, z up (Ax 90°, Az 270°)", ViewAngles{900, 0, 2700},
     &TFormMain::SpeedButton3Click},
    {4, 271, 48, "view-right", "Look along x: y to the left, z up (Ax 90°, Az 90°)", ViewAngles{900, 0, 900},
     &TFormMain::SpeedButton4Click},
    {5, 191, 90, "view-down", "Look along -z: x to the right, y up (Ax 180°)", ViewAngles{1800, 0, 0},
     &TFormMain::SpeedButton5Click},
    {6, 257, 6, nullptr, "", std::nullopt, nullptr},
    {7, 131, 6, nullptr, "", std::nullopt, nullptr},
    {8, 247, 90, nullptr, "", std::nullopt, nullptr},
    {9, 173, 48, "view-toward", "Look along y: x to the right, z up (Ax 90°)", ViewAngles{900, 0, 0},
     &TFormMain::SpeedButton9Click},
    {10, 131, 90, nullptr, "", std::nullopt, nullptr},
};

}  // namespace

std::span<const ViewButton> ViewButtons() { return ViewButtonTable; }

const ViewButton* FindViewButton(int number)
{
    const auto found = std::find_if(std::begin(ViewButtonTable), std::end(ViewButtonTable),
                                    [number](const ViewButton& button) { return button.number == number; });
    return found == std::end(ViewButtonTable) ? nullptr : &*found;
}
