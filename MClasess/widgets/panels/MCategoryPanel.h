#ifndef PELMORA_MCLASESS_WIDGETS_PANELS_MCATEGORYPANEL_H
#define PELMORA_MCLASESS_WIDGETS_PANELS_MCATEGORYPANEL_H

// MCategoryPanel: a panel with a header bar that collapses it to the bar and opens it again.
// Its controls go on Body(): make them children of it and give it a layout, or, for controls
// placed by hand, a fixed height. Collapsing hides the body, so the panel shrinks to its header
// and a column of panels (MCategoryPanelGroup) closes up. Header and body are the panel's own
// widgets and carry no names; window-state persistence stores the panel's Collapsed state and
// then walks the controls on its body.

#include <QColor>
#include <QFont>
#include <QWidget>

class MCategoryPanelHeader;

class MCategoryPanel : public QWidget {
    Q_OBJECT
public:
    explicit MCategoryPanel(const QString& caption = {}, QWidget* parent = nullptr);

    [[nodiscard]] QString Caption() const;
    void SetCaption(const QString& caption);

    // The parent of the panel's controls.
    [[nodiscard]] QWidget* Body() const { return body_; }

    [[nodiscard]] bool Collapsed() const { return collapsed_; }
    void SetCollapsed(bool collapsed);

    [[nodiscard]] int HeaderHeight() const;
    void SetHeaderHeight(int height);
    [[nodiscard]] QFont HeaderFont() const;
    void SetHeaderFont(const QFont& font);
    // The colour of the header's gradient.
    [[nodiscard]] QColor HeaderColor() const;
    void SetHeaderColor(const QColor& color);

signals:
    void CollapsedChanged(bool collapsed);

private:
    MCategoryPanelHeader* header_ = nullptr;
    QWidget* body_ = nullptr;
    bool collapsed_ = false;
};

#endif
