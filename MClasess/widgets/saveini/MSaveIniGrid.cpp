#include "MSaveIniGrid.h"
#include "MSaveIniComponent.h"
#include "MSaveIniPendingScroll.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>
#include <cstdint>

namespace saveini {

namespace {

// Larger sizes can only come from a damaged file; reading them would not end.
constexpr std::int64_t kMostCells = std::int64_t{1} << 24;

struct TSelection {
    int left = -1;
    int right = -1;
    int top = -1;
    int bottom = -1;
};

MSaveIniKeys GridKeys(const MSaveIniKeys& keys)
{
    return {keys.Ini(), Joined({keys.Section(), u"_>", keys.Name()}), keys.Name()};
}

QString CellPath(int column, int row)
{
    return Joined({u"->Cells[", QString::number(column), u"][", QString::number(row), u"]"});
}

QString CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void SetCellText(QTableWidget* grid, int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = grid->item(row, column))
        item->setText(text);
    else if (!text.isEmpty())
        grid->setItem(row, column, new QTableWidgetItem(text));
}

TSelection SelectionOf(const QTableWidget* grid)
{
    const QList<QTableWidgetSelectionRange> ranges = grid->selectedRanges();
    if (ranges.isEmpty())
        return {grid->currentColumn(), grid->currentColumn(), grid->currentRow(), grid->currentRow()};
    TSelection box{ranges[0].leftColumn(), ranges[0].rightColumn(), ranges[0].topRow(), ranges[0].bottomRow()};
    for (const QTableWidgetSelectionRange& range : ranges) {
        box.left = std::min(box.left, range.leftColumn());
        box.right = std::max(box.right, range.rightColumn());
        box.top = std::min(box.top, range.topRow());
        box.bottom = std::max(box.bottom, range.bottomRow());
    }
    return box;
}

void Select(QTableWidget* grid, const TSelection& selection)
{
    const bool valid = selection.left >= 0 && selection.top >= 0 && selection.left <= selection.right
        && selection.top <= selection.bottom && selection.right < grid->columnCount()
        && selection.bottom < grid->rowCount();
    if (!valid)
        return;
    grid->clearSelection();
    grid->setCurrentCell(selection.top, selection.left);
    grid->setRangeSelected(
        QTableWidgetSelectionRange(selection.top, selection.left, selection.bottom, selection.right), true);
}

// The scroll value that shows a section first: its visual index when the view scrolls by whole
// items, its pixel position otherwise.
int ScrollValueShowing(const QHeaderView* header, QAbstractItemView::ScrollMode mode, int logicalIndex)
{
    if (logicalIndex < 0 || logicalIndex >= header->count())
        return 0;
    return mode == QAbstractItemView::ScrollPerItem ? header->visualIndex(logicalIndex)
                                                    : header->sectionPosition(logicalIndex);
}

void SaveContents(QTableWidget* grid, const MSaveIniKeys& keys)
{
    keys.Ini().EraseSection(keys.Section());
    keys.WriteInteger(u"->ColCount", grid->columnCount());
    keys.WriteInteger(u"->RowCount", grid->rowCount());
    for (int column = 0; column < grid->columnCount(); ++column)
        for (int row = 0; row < grid->rowCount(); ++row)
            if (const QString text = CellText(grid, row, column); !text.isEmpty())
                keys.WriteString(CellPath(column, row), text);
}

void LoadContents(QTableWidget* grid, const MSaveIniKeys& keys)
{
    const int columns = keys.ReadInteger(u"->ColCount", -1);
    const int rows = keys.ReadInteger(u"->RowCount", -1);
    if (columns < 0 || rows < 0 || std::int64_t{columns} * rows > kMostCells)
        return;
    grid->setColumnCount(columns);
    grid->setRowCount(rows);
    for (int column = 0; column < columns; ++column)
        for (int row = 0; row < rows; ++row)
            SetCellText(grid, row, column, keys.ReadString(CellPath(column, row), QString()));
}

}  // namespace

void SaveGrid(QObject* component, const MSaveIniKeys& keys)
{
    auto* grid = static_cast<QTableWidget*>(component);
    const MSaveIniKeys own = GridKeys(keys);
    if (TagOf(grid) == SaveIniTagGridContents) {
        SaveContents(grid, own);
        return;
    }
    own.WriteInteger(u"->LeftCol", std::max(grid->columnAt(0), 0));
    own.WriteInteger(u"->TopRow", std::max(grid->rowAt(0), 0));
    const TSelection selection = SelectionOf(grid);
    own.WriteInteger(u"->Selection->Left", selection.left);
    own.WriteInteger(u"->Selection->Right", selection.right);
    own.WriteInteger(u"->Selection->Top", selection.top);
    own.WriteInteger(u"->Selection->Bottom", selection.bottom);
}

void LoadGrid(QObject* component, const MSaveIniKeys& keys)
{
    auto* grid = static_cast<QTableWidget*>(component);
    const MSaveIniKeys own = GridKeys(keys);
    LoadContents(grid, own);

    const int leftColumn = own.ReadInteger(u"->LeftCol", std::max(grid->columnAt(0), 0));
    const int topRow = own.ReadInteger(u"->TopRow", std::max(grid->rowAt(0), 0));
    const TSelection current = SelectionOf(grid);
    const TSelection selection{own.ReadInteger(u"->Selection->Left", current.left),
                               own.ReadInteger(u"->Selection->Right", current.right),
                               own.ReadInteger(u"->Selection->Top", current.top),
                               own.ReadInteger(u"->Selection->Bottom", current.bottom)};
    Select(grid, selection);
    RestoreScrollPosition(grid->horizontalScrollBar(),
                          ScrollValueShowing(grid->horizontalHeader(), grid->horizontalScrollMode(), leftColumn));
    RestoreScrollPosition(grid->verticalScrollBar(),
                          ScrollValueShowing(grid->verticalHeader(), grid->verticalScrollMode(), topRow));
}

}  // namespace saveini
