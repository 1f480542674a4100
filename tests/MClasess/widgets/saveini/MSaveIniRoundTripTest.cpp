// Every row of the persistence table in one window: a window whose controls hold values other
// than a fresh window's is saved, a fresh window of the same controls is loaded from that file,
// and the fresh window then shows every stored value and saves the same file, byte for byte.
// A key whose name differs between saving and loading leaves its value behind in the fresh
// window, and so its file, whichever side has the wrong name.

#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "MRadioGroup.h"
#include "MSaveIni.h"
#include "MSaveIniUpDown.h"

#include <gtest/gtest.h>

#include "SaveIniTestSupport.h"
#include "TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileSystemModel>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace {

QString Number(int value) { return QString::number(value); }

QString ComboState(QObject* control)
{
    auto* box = As<QComboBox>(control);
    QStringList state{Number(box->currentIndex()), box->currentText()};
    for (int i = 0; i < box->count(); ++i)
        state.append(box->itemText(i));
    return Joined(state);
}

QString Checked(QObject* control) { return Number(As<QAbstractButton>(control)->isChecked()); }

// One row of the table: the control as a fresh window makes it, the values a save is to store
// (set once the window is shown, as scroll ranges need its layout), and everything the row stores.
struct RowCase {
    const char* kind;
    std::function<QObject*(QWidget* form, const TempDir& dir)> make;
    std::function<void(QObject*, const TempDir& dir)> store;
    std::function<QString(QObject*)> state;
};

std::vector<RowCase> Rows()
{
    std::vector<RowCase> rows;
    rows.push_back({"string grid, size and cells (tag -101)",
                    [](QWidget* form, const TempDir&) {
                        auto* grid = Named(new QTableWidget(1, 1, form), "StringGridCells");
                        grid->setProperty("Tag", -101);
                        return grid;
                    },
                    [](QObject* control, const TempDir&) {
                        auto* grid = As<QTableWidget>(control);
                        grid->setColumnCount(3);
                        grid->setRowCount(2);
                        for (int column = 0; column < 3; ++column)
                            for (int row = 0; row < 2; ++row)
                                if (column != 1 || row != 0)
                                    grid->setItem(row, column,
                                                  new QTableWidgetItem(QStringLiteral("c%1%2").arg(column).arg(row)));
                    },
                    [](QObject* control) { return GridCells(As<QTableWidget>(control)); }});
    rows.push_back({"string grid, view",
                    [](QWidget* form, const TempDir&) {
                        QTableWidget* grid = FilledGrid(form, "StringGridView", 6, 40);
                        grid->move(0, 130);
                        grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
                        grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
                        return grid;
                    },
                    [](QObject* control, const TempDir&) {
                        auto* grid = As<QTableWidget>(control);
                        grid->setRangeSelected(QTableWidgetSelectionRange(3, 1, 5, 2), true);
                        grid->verticalScrollBar()->setValue(7);
                        grid->horizontalScrollBar()->setValue(2);
                    },
                    [](QObject* control) { return GridView(As<QTableWidget>(control)); }});
    rows.push_back({"splitter of three panes",
                    [](QWidget* form, const TempDir&) {
                        auto* splitter = Named(new QSplitter(form), "Splitter1");
                        for (const char* name : {"PanelLeft", "PanelMiddle", "PanelRight"}) {
                            auto* pane = Named(new QWidget, name);
                            pane->setMinimumWidth(20);
                            splitter->addWidget(pane);
                        }
                        splitter->setGeometry(220, 0, 300, 60);
                        return splitter;
                    },
                    [](QObject* control, const TempDir&) {
                        As<QSplitter>(control)->setSizes({40, 150, 100});
                    },
                    [](QObject* control) {
                        QStringList sizes;
                        for (const int size : As<QSplitter>(control)->sizes())
                            sizes.append(Number(size));
                        return Joined(sizes);
                    }});
    rows.push_back({"menu item",
                    [](QWidget* form, const TempDir&) {
                        auto* menu = Named(new QMenu(form), "PopupMenu1");
                        QAction* item = Named(menu->addAction(QStringLiteral("Fix")), "MenuItemFix");
                        item->setCheckable(true);
                        return item;
                    },
                    [](QObject* control, const TempDir&) { As<QAction>(control)->setChecked(true); },
                    [](QObject* control) { return Number(As<QAction>(control)->isChecked()); }});
    rows.push_back({"category panel group",
                    [](QWidget* form, const TempDir&) {
                        auto* group = Named(new MCategoryPanelGroup(form), "CategoryPanelGroup1");
                        group->setGeometry(220, 70, 150, 100);
                        for (const char* name : {"CategoryPanelFile", "CategoryPanelAtoms", "CategoryPanelView"}) {
                            MCategoryPanel* panel = Named(group->AddPanel(QString::fromLatin1(name)), name);
                            panel->Body()->setFixedHeight(120);
                            panel->Body()->setMinimumWidth(400);
                        }
                        return group;
                    },
                    [](QObject* control, const TempDir&) {
                        auto* group = As<MCategoryPanelGroup>(control);
                        group->Panels()[1]->SetCollapsed(true);
                        QCoreApplication::processEvents();
                        group->verticalScrollBar()->setValue(150);
                        group->horizontalScrollBar()->setValue(40);
                    },
                    [](QObject* control) {
                        auto* group = As<MCategoryPanelGroup>(control);
                        QStringList state{ScrollPositions(group)};
                        for (const MCategoryPanel* panel : group->Panels())
                            state.append(Number(panel->Collapsed()));
                        return Joined(state);
                    }});
    rows.push_back({"category panel",
                    [](QWidget* form, const TempDir&) {
                        return Named(new MCategoryPanel(QStringLiteral("Alone"), form), "CategoryPanelAlone");
                    },
                    [](QObject* control, const TempDir&) { As<MCategoryPanel>(control)->SetCollapsed(true); },
                    [](QObject* control) { return Number(As<MCategoryPanel>(control)->Collapsed()); }});
    rows.push_back({"radio group",
                    [](QWidget* form, const TempDir&) {
                        auto* group = Named(new MRadioGroup(QStringLiteral("Mode"), form), "RadioGroupMode");
                        group->SetItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
                        return group;
                    },
                    [](QObject* control, const TempDir&) { As<MRadioGroup>(control)->SetItemIndex(1); },
                    [](QObject* control) { return Number(As<MRadioGroup>(control)->ItemIndex()); }});
    rows.push_back({"edit, with a tag",
                    [](QWidget* form, const TempDir&) { return Named(new QLineEdit(form), "EditAx"); },
                    [](QObject* control, const TempDir&) {
                        As<QLineEdit>(control)->setText(QStringLiteral(" 2,459512 Å = a "));
                        control->setProperty("Tag", 7);
                    },
                    [](QObject* control) {
                        return Joined({As<QLineEdit>(control)->text(), Number(control->property("Tag").toInt())});
                    }});
    rows.push_back({"track bar",
                    [](QWidget* form, const TempDir&) {
                        auto* slider = Named(new QSlider(form), "TrackBar1");
                        slider->setRange(-50, 50);
                        return slider;
                    },
                    [](QObject* control, const TempDir&) { As<QSlider>(control)->setValue(-37); },
                    [](QObject* control) { return Number(As<QSlider>(control)->value()); }});
    rows.push_back({"up-down",
                    [](QWidget* form, const TempDir&) { return Named(new MSaveIniUpDown(form), "UpDownSyncGroup"); },
                    [](QObject* control, const TempDir&) { As<QSpinBox>(control)->setValue(7); },
                    [](QObject* control) { return Number(As<QSpinBox>(control)->value()); }});
    rows.push_back({"scroll bar",
                    [](QWidget* form, const TempDir&) {
                        auto* bar = Named(new QScrollBar(Qt::Horizontal, form), "ScrollBarAx");
                        bar->setRange(0, 3600);
                        return bar;
                    },
                    [](QObject* control, const TempDir&) { As<QScrollBar>(control)->setValue(1234); },
                    [](QObject* control) { return Number(As<QScrollBar>(control)->value()); }});
    rows.push_back({"spin edit", [](QWidget* form, const TempDir&) { return Named(new QSpinBox(form), "SpinEdit1"); },
                    [](QObject* control, const TempDir&) { As<QSpinBox>(control)->setValue(12); },
                    [](QObject* control) { return Number(As<QSpinBox>(control)->value()); }});
    rows.push_back({"combo box, an item added",
                    [](QWidget* form, const TempDir&) {
                        auto* box = Named(new QComboBox(form), "ComboBox1");
                        box->addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
                        return box;
                    },
                    [](QObject* control, const TempDir&) {
                        auto* box = As<QComboBox>(control);
                        box->setItemText(1, QStringLiteral("zwei"));
                        box->addItem(QStringLiteral("four"));
                        box->setCurrentIndex(3);
                    },
                    ComboState});
    rows.push_back({"combo box, a typed text",
                    [](QWidget* form, const TempDir&) {
                        auto* box = Named(new QComboBox(form), "ComboBoxTyped");
                        box->setEditable(true);
                        box->addItems({QStringLiteral("one"), QStringLiteral("two")});
                        return box;
                    },
                    [](QObject* control, const TempDir&) {
                        auto* box = As<QComboBox>(control);
                        box->setCurrentIndex(1);
                        box->setEditText(QStringLiteral("typed"));
                    },
                    ComboState});
    rows.push_back({"scroll box",
                    [](QWidget* form, const TempDir&) {
                        auto* box = Named(new QScrollArea(form), "ScrollBox1");
                        box->setGeometry(380, 70, 150, 100);
                        auto* inner = new QWidget;
                        inner->resize(600, 500);
                        box->setWidget(inner);
                        return box;
                    },
                    [](QObject* control, const TempDir&) {
                        As<QScrollArea>(control)->verticalScrollBar()->setValue(80);
                        As<QScrollArea>(control)->horizontalScrollBar()->setValue(120);
                    },
                    [](QObject* control) { return ScrollPositions(As<QScrollArea>(control)); }});
    rows.push_back({"page control",
                    [](QWidget* form, const TempDir&) {
                        auto* pages = Named(new QTabWidget(form), "PageControl1");
                        for (const char* name : {"TabSheet1", "TabSheet2", "TabSheet3"})
                            pages->addTab(Named(new QWidget, name), QString::fromLatin1(name));
                        return pages;
                    },
                    [](QObject* control, const TempDir&) { As<QTabWidget>(control)->setCurrentIndex(2); },
                    [](QObject* control) { return Number(As<QTabWidget>(control)->currentIndex()); }});
    rows.push_back({"list box",
                    [](QWidget* form, const TempDir&) {
                        auto* list = Named(new QListWidget(form), "ListBoxLPointX");
                        list->addItem(QStringLiteral("x"));
                        return list;
                    },
                    [](QObject* control, const TempDir&) {
                        auto* list = As<QListWidget>(control);
                        list->item(0)->setText(QStringLiteral("10.5"));
                        list->addItems({QStringLiteral("20"), QStringLiteral("")});
                    },
                    [](QObject* control) {
                        auto* list = As<QListWidget>(control);
                        QStringList items;
                        for (int i = 0; i < list->count(); ++i)
                            items.append(list->item(i)->text());
                        return Joined(items);
                    }});
    rows.push_back({"memo",
                    [](QWidget* form, const TempDir&) {
                        auto* memo = Named(new QPlainTextEdit(form), "Memo1");
                        memo->setGeometry(0, 260, 150, 100);
                        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
                        QStringList lines;
                        for (int i = 0; i < 200; ++i)
                            lines.append(QString(300, QChar(u'a' + i % 26)));
                        memo->setPlainText(lines.join(u'\n'));
                        return memo;
                    },
                    [](QObject* control, const TempDir&) {
                        As<QPlainTextEdit>(control)->verticalScrollBar()->setValue(50);
                        As<QPlainTextEdit>(control)->horizontalScrollBar()->setValue(30);
                    },
                    [](QObject* control) { return ScrollPositions(As<QPlainTextEdit>(control)); }});
    rows.push_back({"check box",
                    [](QWidget* form, const TempDir&) { return Named(new QCheckBox(form), "CheckBoxDrawLink"); },
                    [](QObject* control, const TempDir&) { As<QCheckBox>(control)->setChecked(true); }, Checked});
    rows.push_back({"radio button",
                    [](QWidget* form, const TempDir&) {
                        auto* button = Named(new QRadioButton(form), "RadioButton1");
                        button->setAutoExclusive(false);
                        return button;
                    },
                    [](QObject* control, const TempDir&) { As<QRadioButton>(control)->setChecked(true); }, Checked});
    rows.push_back({"speed button",
                    [](QWidget* form, const TempDir&) {
                        auto* button = Named(new QToolButton(form), "SpeedButtonPoint");
                        button->setCheckable(true);
                        return button;
                    },
                    [](QObject* control, const TempDir&) { As<QToolButton>(control)->setChecked(true); }, Checked});
    rows.push_back({"checkable push button",
                    [](QWidget* form, const TempDir&) {
                        auto* button = Named(new QPushButton(form), "SpeedButton1");
                        button->setCheckable(true);
                        return button;
                    },
                    [](QObject* control, const TempDir&) { As<QPushButton>(control)->setChecked(true); }, Checked});
    rows.push_back({"directory list",
                    [](QWidget* form, const TempDir&) {
                        auto* view = Named(new QListView(form), "DirectoryListBox1");
                        view->setModel(new QFileSystemModel(view));
                        return view;
                    },
                    [](QObject* control, const TempDir& dir) {
                        std::filesystem::create_directories(dir.Path() / "pictures");
                        auto* view = As<QListView>(control);
                        auto* model = static_cast<QFileSystemModel*>(view->model());
                        view->setRootIndex(model->index(QString::fromStdString(dir.File("pictures"))));
                    },
                    [](QObject* control) {
                        auto* view = As<QListView>(control);
                        return static_cast<QFileSystemModel*>(view->model())->filePath(view->rootIndex());
                    }});
    rows.push_back({"hot key",
                    [](QWidget* form, const TempDir&) { return Named(new QKeySequenceEdit(form), "HotKey1"); },
                    [](QObject* control, const TempDir&) {
                        As<QKeySequenceEdit>(control)->setKeySequence(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
                    },
                    [](QObject* control) { return As<QKeySequenceEdit>(control)->keySequence().toString(); }});
    return rows;
}

// A window with one control of every row, and its own bounds.
class RowsWindow {
public:
    explicit RowsWindow(const TempDir& dir)
    {
        form_.setObjectName(QStringLiteral("FormMain"));
        form_.setGeometry(40, 30, 560, 400);
        for (const RowCase& row : rows_)
            controls_.push_back(row.make(&form_, dir));
        form_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form_));
    }

    void Store(const TempDir& dir)
    {
        form_.setGeometry(60, 50, 600, 420);
        for (std::size_t i = 0; i < rows_.size(); ++i)
            rows_[i].store(controls_[i], dir);
        QCoreApplication::processEvents();
    }

    [[nodiscard]] std::size_t Count() const { return rows_.size(); }
    [[nodiscard]] const char* Kind(std::size_t i) const { return rows_[i].kind; }
    [[nodiscard]] QString State(std::size_t i) const { return rows_[i].state(controls_[i]); }
    [[nodiscard]] QRect Bounds() const { return form_.geometry(); }
    QWidget* Form() { return &form_; }

private:
    std::vector<RowCase> rows_ = Rows();
    QWidget form_;
    std::vector<QObject*> controls_;
};

TEST(MSaveIniRoundTripTest, AFreshWindowLoadedFromTheFileShowsEveryValueAndSavesTheSameFile)
{
    TempDir dir;
    const QString savedCode = QString::fromStdString(dir.File("saved"));
    const QString againCode = QString::fromStdString(dir.File("again"));
    RowsWindow saved(dir);
    RowsWindow fresh(dir);
    saved.Store(dir);
    // Each row stores something a fresh window does not show, or it would prove nothing.
    for (std::size_t i = 0; i < saved.Count(); ++i)
        ASSERT_NE(fresh.State(i), saved.State(i)) << saved.Kind(i);
    ASSERT_NE(fresh.Bounds(), saved.Bounds());

    ASSERT_TRUE(SaveToFileIni(saved.Form(), savedCode));
    ASSERT_TRUE(LoadFromFileIni(fresh.Form(), savedCode));
    QCoreApplication::processEvents();
    for (std::size_t i = 0; i < saved.Count(); ++i)
        EXPECT_EQ(fresh.State(i), saved.State(i)) << saved.Kind(i);
    EXPECT_EQ(fresh.Bounds(), saved.Bounds());

    ASSERT_TRUE(SaveToFileIni(fresh.Form(), againCode));
    const QByteArray savedText = ReadBytes(savedCode + QStringLiteral(".ini"));
    EXPECT_EQ(ReadBytes(againCode + QStringLiteral(".ini")).toStdString(), savedText.toStdString());
    // The file holds a key of every row (names as the rows make them).
    for (const char* name : {"StringGridCells->Cells[2][1]=c21",
                             "StringGridView->Selection->Bottom=5",
                             "Splitter1->Handles[2]->Left=",
                             "MenuItemFix->Checked=1",
                             "CategoryPanelGroup1->HorzScrollBar->Position=40",
                             "CategoryPanelAlone->Collapsed=1",
                             "RadioGroupMode->ItemIndex=1",
                             "EditAx->Tag=7",
                             "TrackBar1->Position=-37",
                             "UpDownSyncGroup->Position=7",
                             "ScrollBarAx->Position=1234",
                             "SpinEdit1->Value=12",
                             "ComboBox1->Strings[3]=four",
                             "ComboBoxTyped->Text=typed",
                             "ScrollBox1->VertScrollBar->Position=80",
                             "PageControl1->TabIndex=2",
                             "ListBoxLPointX->Count=3",
                             "Memo1->HorzScrollBarPosition=30",
                             "CheckBoxDrawLink->Checked=1",
                             "RadioButton1->Checked=1",
                             "SpeedButtonPoint->Down=1",
                             "SpeedButton1->Down=1",
                             "DirectoryListBox1->Directory=",
                             "HotKey1->HotKey=",
                             "FormMain->Left=60"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(savedText.contains(name));
    }
}

}  // namespace
