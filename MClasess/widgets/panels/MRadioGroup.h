#ifndef PELMORA_MCLASESS_WIDGETS_PANELS_MRADIOGROUP_H
#define PELMORA_MCLASESS_WIDGETS_PANELS_MRADIOGROUP_H

// MRadioGroup: a titled box of radio buttons made from a list of captions, one column, at most
// one chosen. Its state is one number, the index of the chosen item (-1: none), which is what
// window-state persistence stores ("->ItemIndex"); the buttons are its own and carry no names.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

class MRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit MRadioGroup(const QString& title = {}, QWidget* parent = nullptr);

    // Replaces the buttons by one per caption, none chosen.
    void SetItems(const QStringList& items);
    [[nodiscard]] QStringList Items() const;
    [[nodiscard]] int ItemIndex() const;
    // Chooses an item; below -1 counts as -1 (none), past the last item as the last item.
    void SetItemIndex(int index);

signals:
    // The chosen item changed, through SetItemIndex or a click.
    void ItemIndexChanged(int index);

private:
    void OnButtonToggled(int id, bool checked);

    QButtonGroup* buttons_ = nullptr;
    QVBoxLayout* column_ = nullptr;
    int itemIndex_ = -1;
};

#endif
