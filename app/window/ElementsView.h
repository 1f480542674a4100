#ifndef PELMORA_APP_WINDOW_ELEMENTSVIEW_H
#define PELMORA_APP_WINDOW_ELEMENTSVIEW_H

// The "Elements" view: a small window beside the main one with a row for each distinct symbol of
// the frame shown: the symbol, the element it was given (a list of the element table's entries
// to choose another from), the rule that gave it, and its atoms. Choosing an element for a row
// asks for it at once (ElementChosen); the main window rebuilds the scene and shows the rows
// again.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

#include "MListAdr.h"
#include "SceneRecords.h"
#include "SymbolElements.h"

class QLabel;
class QTableWidget;

class ElementsView : public QDialog {
    Q_OBJECT
public:
    // The columns of the table.
    enum Column { SymbolColumn, ElementColumn, RuleColumn, AtomsColumn, ColumnCount };
    // The first item of every row's list: the element the rules give.
    static constexpr const char* ByTheRules = "(by the rules)";

    explicit ElementsView(QWidget* parent);

    // Shows a row for each symbol, its element chosen in the row's list; notListed: the atoms of
    // symbols beyond the rows' bound, told below the table when there are any.
    void ShowSymbols(const std::vector<SymbolElement>& symbols, const MListAdr<MAtom*>& elements,
                     std::int64_t notListed);

    QTableWidget* Table() const { return table_; }

signals:
    // The user chose an element (an entry name of the table) for the symbol (its bytes, as UTF-8);
    // an empty element: the rules decide again.
    void ElementChosen(const QByteArray& symbol, const QByteArray& element);

private:
    void AddRow(int row, const SymbolElement& symbol, const QStringList& names, const MListAdr<MAtom*>& elements);

    QTableWidget* table_ = nullptr;
    QLabel* notListed_ = nullptr;
};

#endif
