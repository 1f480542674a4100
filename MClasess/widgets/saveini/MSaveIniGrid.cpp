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
    grid->setRangeSelected(QTableWidgetSelectionRange(selection.top, selection.left, selection.bottom, selection.right),
                           true);
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

struct TGridSize {
    int columns;
    int rows;
};

constexpr int kNoSize = -1;

bool IsLoadable(const TGridSize& size)
{
    return size.columns >= 0 && size.rows >= 0 && std::int64_t{size.columns} * size.rows <= kMostCells;
}

// Size and cells; a load sets them only when the section holds a size it can take.
void BindContents(QTableWidget* grid, const MSaveIniBinder& keys)
{
    keys.ReplacesSection();
    TGridSize size{grid->columnCount(), grid->rowCount()};
    keys.KeyOr(u"->ColCount", size.columns, kNoSize);
    keys.KeyOr(u"->RowCount", size.rows, kNoSize);
    bool loadable = true;
    keys.AfterLoad([&] {
        loadable = IsLoadable(size);
        if (loadable) {
            grid->setColumnCount(size.columns);
            grid->setRowCount(size.rows);
        }
    });
    if (!loadable)
        return;
    for (int column = 0; column < size.columns; ++column)
        for (int row = 0; row < size.rows; ++row) {
            // An empty cell is not written, and a missing one is read as empty.
            const QString text = CellText(grid, row, column);
            keys.WrittenOnlyIf(!text.isEmpty())
                .KeyOr(CellPath(column, row), text, QString(),
                       [grid, row, column](const QString& read) { SetCellText(grid, row, column, read); });
        }
}

// The first column and row shown and the selected rectangle.
void BindView(QTableWidget* grid, const MSaveIniBinder& keys)
{
    int leftColumn = std::max(grid->columnAt(0), 0);
    int topRow = std::max(grid->rowAt(0), 0);
    keys.Key(u"->LeftCol", leftColumn);
    keys.Key(u"->TopRow", topRow);
    TSelection selection = SelectionOf(grid);
    keys.Key(u"->Selection->Left", selection.left);
    keys.Key(u"->Selection->Right", selection.right);
    keys.Key(u"->Selection->Top", selection.top);
    keys.Key(u"->Selection->Bottom", selection.bottom);
    keys.AfterLoad([&] {
        Select(grid, selection);
        RestoreScrollPosition(grid->horizontalScrollBar(),
                              ScrollValueShowing(grid->horizontalHeader(), grid->horizontalScrollMode(), leftColumn));
        RestoreScrollPosition(grid->verticalScrollBar(),
                              ScrollValueShowing(grid->verticalHeader(), grid->verticalScrollMode(), topRow));
    });
}

}  // namespace

void BindGrid(QObject* component, const MSaveIniBinder& keys)
{
    auto* grid = static_cast<QTableWidget*>(component);
    const MSaveIniBinder own = keys.InSection(Joined({keys.Section(), u"_>", keys.Name()}));
    // A save writes one of the two, a load reads both: contents first, then the view.
    const bool contents = TagOf(grid) == SaveIniTagGridContents;
    BindContents(grid, own.WrittenOnlyIf(contents));
    BindView(grid, own.WrittenOnlyIf(!contents));
}

}  // namespace saveini
