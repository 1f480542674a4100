#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIPENDINGSCROLL_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIPENDINGSCROLL_H

// Restoring a scroll position while a window is being built: Qt lays out a hidden widget only
// when it is shown, so a scroll bar may not yet have the range the saved position needs.

class QScrollBar;

namespace saveini {

// Sets the bar's value. When the range is still too short for it, the value is set again each
// time the range changes, until the bar shows it or the user moves the bar; a later call
// replaces an earlier value that is still waiting.
void RestoreScrollPosition(QScrollBar* bar, int value);

}  // namespace saveini

#endif
