#include "StatusLine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>

namespace {

QLabel* Part(QWidget* parent, const char* name, const QString& tip)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setToolTip(tip);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->hide();
    return label;
}

void Show(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

}  // namespace

TStatusLine::TStatusLine(QWidget* parent) : QWidget(parent)
{
    setObjectName("StatusLine");
    LabelAtom = Part(this, "LabelStatusAtom", tr("The atom under the mouse"));
    LabelMeasurement = Part(this, "LabelStatusMeasurement",
                            tr("The picked atoms (Ctrl+click): distance, angle, dihedral; Ctrl+C copies"));
    LabelProgress = Part(this, "LabelStatusProgress", tr("The work under way, or how long the last long work took"));
    LabelNote = Part(this, "LabelStatusNote", {});
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(18);
    row->addWidget(LabelAtom);
    row->addWidget(LabelMeasurement);
    row->addStretch(1);
    row->addWidget(LabelNote);
    row->addWidget(LabelProgress);
    // The line keeps its height while its parts come and go.
    setMinimumHeight(fontMetrics().height() + 4);
}

void TStatusLine::ShowAtom(const QString& text) { Show(LabelAtom, text); }

void TStatusLine::ShowMeasurement(const QString& text) { Show(LabelMeasurement, text); }

void TStatusLine::ShowProgress(const QString& text) { Show(LabelProgress, text); }

void TStatusLine::ShowNote(const QString& text)
{
    const QString firstLine = text.section('\n', 0, 0);
    Show(LabelNote, firstLine);
    LabelNote->setToolTip(text);
}

void TStatusLine::PaintNow()
{
    layout()->activate();
    repaint();
}
