#include "MSaveIniPendingScroll.h"

#include <QScrollBar>

namespace saveini {

namespace {

// Waits beside the bar (an unnamed child, so never a component itself) for the range to grow.
class TPendingScroll : public QObject {
public:
    TPendingScroll(QScrollBar* bar, int value) : QObject(bar), bar_(bar), value_(value)
    {
        connect(bar, &QScrollBar::rangeChanged, this, [this] { Apply(); });
        connect(bar, &QScrollBar::actionTriggered, this, [this] { deleteLater(); });
        connect(bar, &QScrollBar::sliderPressed, this, [this] { deleteLater(); });
    }

    static void Replace(QScrollBar* bar)
    {
        for (QObject* child : bar->children())
            if (auto* pending = dynamic_cast<TPendingScroll*>(child))
                delete pending;
    }

private:
    void Apply()
    {
        bar_->setValue(value_);
        if (bar_->value() == value_)
            deleteLater();
    }

    QScrollBar* bar_;
    int value_;
};

}  // namespace

void RestoreScrollPosition(QScrollBar* bar, int value)
{
    TPendingScroll::Replace(bar);
    bar->setValue(value);
    if (bar->value() != value)
        new TPendingScroll(bar, value);
}

}  // namespace saveini
