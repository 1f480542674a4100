#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIUPDOWN_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIUPDOWN_H

// Window-state persistence stores two kinds of spin box: the spin edit, whose state is its
// "->Value", and the up-down (the arrows tied to an edit), whose state is its "->Position". Qt
// has one spin box for both; a spin box of this class is stored as an up-down, and in every other
// respect it is a QSpinBox.

#include <QSpinBox>

class MSaveIniUpDown : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;
};

#endif
