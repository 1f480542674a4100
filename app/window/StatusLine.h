#ifndef PELMORA_APP_WINDOW_STATUSLINE_H
#define PELMORA_APP_WINDOW_STATUSLINE_H

// The line under the picture: the atom under the cursor, the measurement of the picked atoms,
// the progress of long work and a one-line note. Each part keeps its text until it is given
// another; an empty text hides the part.

#include <QWidget>

class QLabel;

class TStatusLine : public QWidget {
    Q_OBJECT
public:
    explicit TStatusLine(QWidget* parent = nullptr);

    void ShowAtom(const QString& text);
    void ShowMeasurement(const QString& text);
    void ShowProgress(const QString& text);
    // The first line of text only; the whole text is the tooltip.
    void ShowNote(const QString& text);
    // Lays the line out and paints it now, for work that keeps the event loop waiting.
    void PaintNow();

    // Work that ends sooner than this shows no progress: a flicker of steps would only distract.
    qint64 QuietMilliseconds = 500;

    QLabel* LabelAtom = nullptr;
    QLabel* LabelMeasurement = nullptr;
    QLabel* LabelProgress = nullptr;
    QLabel* LabelNote = nullptr;
};

#endif
