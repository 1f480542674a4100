#ifndef PELMORA_MCLASESS_WIDGETS_PANELS_MCATEGORYPANELHEADER_H
#define PELMORA_MCLASESS_WIDGETS_PANELS_MCATEGORYPANELHEADER_H

// The header bar of a category panel: its caption on a gradient of the header colour, and an
// arrow that shows whether the panel is open. A click (or Space while it has the focus) toggles
// the panel.

#include <QAbstractButton>
#include <QColor>

class MCategoryPanelHeader : public QAbstractButton {
    Q_OBJECT
public:
    explicit MCategoryPanelHeader(QWidget* parent = nullptr);

    [[nodiscard]] QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    // Shows the arrow of an open (down) or a closed (right) panel.
    void SetOpen(bool open);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
    bool open_ = true;
};

#endif
