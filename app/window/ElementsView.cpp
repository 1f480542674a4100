#include "ElementsView.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidgetItem* ReadOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

}  // namespace

ElementsView::ElementsView(QWidget* parent) : QDialog(parent)
{
    setObjectName("ElementsView");
    setWindowTitle("Elements");
    setModal(false);
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName("TableElements");
    table_->setHorizontalHeaderLabels({"Symbol", "Element", "Rule", "Atoms"});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    notListed_ = new QLabel(this);
    notListed_->setVisible(false);
    auto* column = new QVBoxLayout(this);
    column->addWidget(table_);
    column->addWidget(notListed_);
    resize(420, 320);
}

void ElementsView::ShowSymbols(const std::vector<SymbolElement>& symbols, const MListAdr<MAtom*>& elements,
                               std::int64_t notListed)
{
    QStringList names{ByTheRules};
    for (int e = 0; e < elements.FCount; ++e)
        names.push_back(QString::fromStdString(elements.Data[e]->Name));
    table_->setRowCount(0);
    table_->setRowCount(static_cast<int>(symbols.size()));
    for (std::size_t row = 0; row < symbols.size(); ++row)
        AddRow(static_cast<int>(row), symbols[row], names, elements);
    notListed_->setText(QString("The atoms of further symbols (%1) are not listed").arg(notListed));
    notListed_->setVisible(notListed > 0);
    // The keyboard starts at the first row's list: the arrow keys choose its element at once.
    if (table_->rowCount() > 0 && (focusWidget() == nullptr || focusWidget() == table_))
        table_->cellWidget(0, ElementColumn)->setFocus();
}

void ElementsView::AddRow(int row, const SymbolElement& symbol, const QStringList& names,
                          const MListAdr<MAtom*>& elements)
{
    const QByteArray bytes = QByteArray::fromStdString(symbol.symbol);
    table_->setItem(row, SymbolColumn, ReadOnlyItem(QString::fromUtf8(bytes)));
    table_->setItem(row, RuleColumn, ReadOnlyItem(QString::fromLatin1(ElementRuleName(symbol.rule))));
    auto* atoms = ReadOnlyItem(QString::number(symbol.atoms));
    atoms->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(row, AtomsColumn, atoms);

    auto* element = new QComboBox(table_);
    element->addItems(names);
    // The entry's place in the list: after "(by the rules)".
    const bool hasElement = symbol.element >= 0 && symbol.element < elements.FCount;
    element->setCurrentIndex(hasElement ? symbol.element + 1 : 0);
    connect(element, &QComboBox::activated, this, [this, bytes, element](int index) {
        emit ElementChosen(bytes, index == 0 ? QByteArray() : element->itemText(index).toUtf8());
    });
    table_->setCellWidget(row, ElementColumn, element);
}
