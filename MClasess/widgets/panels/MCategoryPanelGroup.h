#ifndef PELMORA_MCLASESS_WIDGETS_PANELS_MCATEGORYPANELGROUP_H
#define PELMORA_MCLASESS_WIDGETS_PANELS_MCATEGORYPANELGROUP_H

// MCategoryPanelGroup: a column of category panels, top to bottom, that scrolls vertically when
// the open panels are taller than the group (and horizontally when it is narrower than they
// can be). The header height, font and colour set on the group go to every panel in it, those
// added later included; a panel keeps its own header settings until the group is given one.
// Window-state persistence stores the two scroll positions and then walks the panels in column
// order.

#include <QColor>
#include <QFont>
#include <QList>
#include <QScrollArea>

#include <optional>

class MCategoryPanel;
class QVBoxLayout;

class MCategoryPanelGroup : public QScrollArea {
    Q_OBJECT
public:
    explicit MCategoryPanelGroup(QWidget* parent = nullptr);

    // Makes a panel at the bottom of the column and returns it (owned by the group).
    MCategoryPanel* AddPanel(const QString& caption);
    // Puts a panel at the bottom of the column; the group becomes its owner.
    void AddPanel(MCategoryPanel* panel);
    // The panels, top to bottom.
    [[nodiscard]] QList<MCategoryPanel*> Panels() const;

    void SetHeaderHeight(int height);
    void SetHeaderFont(const QFont& font);
    void SetHeaderColor(const QColor& color);

private:
    void ApplyHeader(MCategoryPanel* panel) const;

    QVBoxLayout* column_ = nullptr;
    std::optional<int> headerHeight_;
    std::optional<QFont> headerFont_;
    std::optional<QColor> headerColor_;
};

#endif
