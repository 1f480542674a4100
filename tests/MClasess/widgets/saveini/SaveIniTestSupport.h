#ifndef PELMORA_TESTS_MCLASESS_WIDGETS_SAVEINI_SAVEINITESTSUPPORT_H
#define PELMORA_TESTS_MCLASESS_WIDGETS_SAVEINI_SAVEINITESTSUPPORT_H

// What the tests of the window state share: named controls as a form holds them, their states
// as one text to compare, and the bytes of a settings file.

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QFile>
#include <QScrollBar>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// The object name keys the control's state in the file.
template <class Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

template <class Control>
Control* As(QObject* control)
{
    return static_cast<Control*>(control);
}

// Scroll ranges need the form's layout: shown and exposed.
inline void ShowNow(QWidget* form)
{
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
}

inline QString Joined(const QStringList& parts) { return parts.join(u'|'); }

inline QString ScrollPositions(QAbstractScrollArea* area)
{
    return Joined(
        {QString::number(area->verticalScrollBar()->value()), QString::number(area->horizontalScrollBar()->value())});
}

// A grid whose every cell tells its column and row ("c12").
inline QTableWidget* FilledGrid(QWidget* form, const char* name, int columns, int rows)
{
    auto* grid = Named(new QTableWidget(rows, columns, form), name);
    grid->setGeometry(0, 0, 200, 120);
    for (int column = 0; column < columns; ++column)
        for (int row = 0; row < rows; ++row)
            grid->setItem(row, column, new QTableWidgetItem(QStringLiteral("c%1%2").arg(column).arg(row)));
    return grid;
}

// The grid's size and the text of every cell; a cell without an item reads as empty, as the file
// cannot tell the two apart.
inline QString GridCells(const QTableWidget* grid)
{
    QStringList cells{QString::number(grid->columnCount()), QString::number(grid->rowCount())};
    for (int row = 0; row < grid->rowCount(); ++row)
        for (int column = 0; column < grid->columnCount(); ++column)
            cells.append(grid->item(row, column) ? grid->item(row, column)->text() : QString());
    return Joined(cells);
}

// The grid's top row, left column and selected ranges.
inline QString GridView(const QTableWidget* grid)
{
    QStringList view{QString::number(grid->rowAt(0)), QString::number(grid->columnAt(0))};
    for (const QTableWidgetSelectionRange& range : grid->selectedRanges())
        view << QStringLiteral("%1,%2-%3,%4")
                    .arg(range.leftColumn())
                    .arg(range.topRow())
                    .arg(range.rightColumn())
                    .arg(range.bottomRow());
    return Joined(view);
}

inline QByteArray ReadBytes(const QString& fileName)
{
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
    return file.readAll();
}

inline void WriteBytes(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

inline QByteArray ReadBytes(const std::string& fileName) { return ReadBytes(QString::fromStdString(fileName)); }

inline void WriteBytes(const std::string& fileName, const QByteArray& bytes)
{
    WriteBytes(QString::fromStdString(fileName), bytes);
}

#endif
