#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIUPDOWN_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIUPDOWN_H

// Qt has one spin box where the design has two controls: the spin edit, whose state is its
// "->Value", and the up-down (the arrows tied to an edit), whose state is its "->Position".
// A spin box of this class is an up-down to window-state persistence; in every other respect it
// is a QSpinBox.

#include <QSpinBox>

class MSaveIniUpDown : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;
};

#endif
