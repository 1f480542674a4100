#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIHOOKS_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIHOOKS_H

// How forms and frames take part in window-state persistence.
//
// A frame is a widget, not a window, that keeps its contents in a section of its own
// ("FormMain->FrameBmp1"); every frame class derives from MSaveIniFrame so that the walk can
// recognise it. A form or frame that must move state into its controls before a save, or rebuild
// state from them after a load, also derives from MSaveIniNotified; one that does not is not told.

// The codes a form or frame is told, in the order a load or a save sends them.
enum MSaveIniCode : int {
    SaveIniLoadBegins = -101,
    SaveIniLoadEnds = -102,
    SaveIniSaveBegins = -103,
    SaveIniSaveEnds = -104,
};

class MSaveIniNotified {
public:
    // Called with one of the MSaveIniCode values.
    virtual void SaveIniNotify(int code) = 0;

protected:
    ~MSaveIniNotified() = default;
};

class MSaveIniFrame {
public:
    virtual ~MSaveIniFrame() = default;
};

#endif
