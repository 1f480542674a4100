#ifndef PELMORA_APP_WINDOW_VIEWBUTTONS_H
#define PELMORA_APP_WINDOW_VIEWBUTTONS_H

// The buttons of the "View" panel that turn the scene to a preset view. Each has a number, which
// names the button (SpeedButton<number>) and its handler (TFormMain::SpeedButton<number>Click),
// a place in the panel, a picture, a tooltip, and the angles it sets the bars to. The panel holds
// ten places; those without a picture are hidden and set no view.

#include <optional>
#include <span>

#include "Projection.h"

class QObject;
class TFormMain;

struct ViewButton {
    int number;
    int left, top;     // in the panel, in layout pixels (FormMainControls.cpp)
    const char* icon;  // the picture :/icons/<icon>.svg; nullptr: the button is hidden
    const char* tip;
    std::optional<ViewAngles> view;               // the angles the button sets; none for a hidden button
    void (TFormMain::*handler)(QObject* sender);  // the handler a click runs; nullptr for a hidden button
};

// The buttons in the order of their numbers, 1 to 10.
std::span<const ViewButton> ViewButtons();

// The button with that number; nullptr when there is none.
const ViewButton* FindViewButton(int number);

#endif
