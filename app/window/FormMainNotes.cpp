// Notes for the user that need no answer: one line in the File panel, under the frame control.

#include <QLabel>

#include "FormMain_.h"

void TFormMain::ShowNote(const QString& text)
{
    LabelNote->setText(text);
    LabelNote->setToolTip(text);
    LabelNote->setVisible(!text.isEmpty());
}
