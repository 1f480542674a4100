// Each class of the persistence table, its value saved to a real file, changed, and loaded back:
// the key and text in the file, and the value the control shows again.

#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "MIniFile.h"
#include "MRadioGroup.h"
#include "MSaveIni.h"
#include "MSaveIniUpDown.h"

#include <gtest/gtest.h>

#include "SaveIniTestSupport.h"
#include "TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
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
#include <QSignalSpy>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <functional>

namespace {

const QString kForm = QStringLiteral("FormMain");

// Scroll ranges come from the layout, which Qt makes when a window is shown.
// A control on the form, with the value the save will store already set.
struct ClassCase {
    const char* kind;
    std::function<QObject*(QWidget* form, const TempDir& dir)> make;
    std::function<void(QObject*)> change;  // moves the control away from the stored value
    std::function<QString(QObject*)> state;
    QString section;  // where the key below lies
    QString key;
    std::function<QString(QObject*, const TempDir&)> value;  // its text in the file
};

std::function<QString(QObject*, const TempDir&)> Text(const QString& text)
{
    return [text](QObject*, const TempDir&) { return text; };
}

QWidget* NamedPane(const char* name)
{
    auto* pane = Named(new QWidget, name);
    pane->setMinimumWidth(20);
    return pane;
}

QString Sizes(const QSplitter* splitter)
{
    QStringList sizes;
    for (const int size : splitter->sizes())
        sizes.append(QString::number(size));
    return Joined(sizes);
}

std::vector<ClassCase> Cases()
{
    std::vector<ClassCase> cases;
    cases.push_back({"string grid, size and cells (tag -101)",
                     [](QWidget* form, const TempDir&) {
                         QTableWidget* grid = FilledGrid(form, "StringGrid1", 3, 2);
                         grid->setProperty("Tag", -101);
                         delete grid->takeItem(0, 1);
                         return grid;
                     },
                     [](QObject* o) {
                         auto* grid = static_cast<QTableWidget*>(o);
                         grid->setColumnCount(4);
                         grid->setRowCount(5);
                         grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("filled")));
                         grid->item(1, 2)->setText(QStringLiteral("changed"));
                     },
                     [](QObject* o) { return GridCells(static_cast<QTableWidget*>(o)); },
                     QStringLiteral("FormMain_>StringGrid1"), QStringLiteral("StringGrid1->Cells[2][1]"),
                     Text(QStringLiteral("c21"))});
    cases.push_back({"string grid, view",
                     [](QWidget* form, const TempDir&) {
                         QTableWidget* grid = FilledGrid(form, "StringGrid2", 6, 40);
                         grid->setRangeSelected(QTableWidgetSelectionRange(3, 1, 5, 2), true);
                         grid->verticalScrollBar()->setValue(7);
                         return grid;
                     },
                     [](QObject* o) {
                         auto* grid = static_cast<QTableWidget*>(o);
                         grid->clearSelection();
                         grid->verticalScrollBar()->setValue(0);
                     },
                     [](QObject* o) { return GridView(static_cast<QTableWidget*>(o)); },
                     QStringLiteral("FormMain_>StringGrid2"), QStringLiteral("StringGrid2->Selection->Bottom"),
                     Text(QStringLiteral("5"))});
    cases.push_back(
        {"splitter",
         [](QWidget* form, const TempDir&) {
             auto* splitter = Named(new QSplitter(form), "Splitter1");
             splitter->addWidget(NamedPane("PanelLeft"));
             splitter->addWidget(NamedPane("PanelRight"));
             splitter->setGeometry(0, 0, 300, 100);
             splitter->setSizes({150, 145});
             return splitter;
         },
         [](QObject* o) {
             static_cast<QSplitter*>(o)->setSizes({60, 235});
         },
         [](QObject* o) { return Sizes(static_cast<QSplitter*>(o)); }, kForm, QStringLiteral("Splitter1->Left"),
         [](QObject* o, const TempDir&) { return QString::number(static_cast<QSplitter*>(o)->handle(1)->x()); }});
    cases.push_back({"menu item",
                     [](QWidget* form, const TempDir&) {
                         auto* menu = Named(new QMenu(form), "PopupMenu1");
                         QAction* item = Named(menu->addAction(QStringLiteral("Fix")), "MenuItemFix");
                         item->setCheckable(true);
                         item->setChecked(true);
                         return item;
                     },
                     [](QObject* o) { static_cast<QAction*>(o)->setChecked(false); },
                     [](QObject* o) { return QString::number(static_cast<QAction*>(o)->isChecked()); }, kForm,
                     QStringLiteral("MenuItemFix->Checked"), Text(QStringLiteral("1"))});
    cases.push_back({"category panel group",
                     [](QWidget* form, const TempDir&) {
                         auto* group = Named(new MCategoryPanelGroup(form), "CategoryPanelGroup1");
                         group->setGeometry(0, 0, 150, 100);
                         for (const char* name : {"CategoryPanelFile", "CategoryPanelAtoms", "CategoryPanelView"})
                             Named(group->AddPanel(QString::fromLatin1(name)), name)->Body()->setFixedHeight(120);
                         ShowNow(form);
                         group->verticalScrollBar()->setValue(210);
                         return group;
                     },
                     [](QObject* o) { static_cast<MCategoryPanelGroup*>(o)->verticalScrollBar()->setValue(3); },
                     [](QObject* o) { return ScrollPositions(static_cast<MCategoryPanelGroup*>(o)); }, kForm,
                     QStringLiteral("CategoryPanelGroup1->VertScrollBar->Position"), Text(QStringLiteral("210"))});
    cases.push_back({"category panel",
                     [](QWidget* form, const TempDir&) {
                         auto* panel = Named(new MCategoryPanel(QStringLiteral("File"), form), "CategoryPanelFile");
                         panel->SetCollapsed(true);
                         return panel;
                     },
                     [](QObject* o) { static_cast<MCategoryPanel*>(o)->SetCollapsed(false); },
                     [](QObject* o) { return QString::number(static_cast<MCategoryPanel*>(o)->Collapsed()); }, kForm,
                     QStringLiteral("CategoryPanelFile->Collapsed"), Text(QStringLiteral("1"))});
    cases.push_back({"radio group",
                     [](QWidget* form, const TempDir&) {
                         auto* group = Named(new MRadioGroup(QStringLiteral("Mode"), form), "RadioGroupMode");
                         group->SetItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
                         group->SetItemIndex(1);
                         return group;
                     },
                     [](QObject* o) { static_cast<MRadioGroup*>(o)->SetItemIndex(2); },
                     [](QObject* o) { return QString::number(static_cast<MRadioGroup*>(o)->ItemIndex()); }, kForm,
                     QStringLiteral("RadioGroupMode->ItemIndex"), Text(QStringLiteral("1"))});
    cases.push_back({"edit",
                     [](QWidget* form, const TempDir&) {
                         auto* edit = Named(new QLineEdit(form), "EditAx");
                         edit->setText(QStringLiteral(" 2,459512 Å = a "));
                         return edit;
                     },
                     [](QObject* o) { static_cast<QLineEdit*>(o)->setText(QStringLiteral("0")); },
                     [](QObject* o) { return static_cast<QLineEdit*>(o)->text(); }, kForm,
                     QStringLiteral("EditAx->Text"), Text(QStringLiteral(" 2,459512 Å = a "))});
    cases.push_back({"track bar",
                     [](QWidget* form, const TempDir&) {
                         auto* slider = Named(new QSlider(form), "TrackBar1");
                         slider->setRange(-50, 50);
                         slider->setValue(-37);
                         return slider;
                     },
                     [](QObject* o) { static_cast<QSlider*>(o)->setValue(0); },
                     [](QObject* o) { return QString::number(static_cast<QSlider*>(o)->value()); }, kForm,
                     QStringLiteral("TrackBar1->Position"), Text(QStringLiteral("-37"))});
    cases.push_back({"up-down",
                     [](QWidget* form, const TempDir&) {
                         auto* upDown = Named(new MSaveIniUpDown(form), "UpDownSyncGroup");
                         upDown->setValue(7);
                         return upDown;
                     },
                     [](QObject* o) { static_cast<QSpinBox*>(o)->setValue(0); },
                     [](QObject* o) { return QString::number(static_cast<QSpinBox*>(o)->value()); }, kForm,
                     QStringLiteral("UpDownSyncGroup->Position"), Text(QStringLiteral("7"))});
    cases.push_back({"scroll bar",
                     [](QWidget* form, const TempDir&) {
                         auto* bar = Named(new QScrollBar(Qt::Horizontal, form), "ScrollBarAx");
                         bar->setRange(0, 3600);
                         bar->setValue(1234);
                         return bar;
                     },
                     [](QObject* o) { static_cast<QScrollBar*>(o)->setValue(0); },
                     [](QObject* o) { return QString::number(static_cast<QScrollBar*>(o)->value()); }, kForm,
                     QStringLiteral("ScrollBarAx->Position"), Text(QStringLiteral("1234"))});
    cases.push_back({"spin edit",
                     [](QWidget* form, const TempDir&) {
                         auto* spin = Named(new QSpinBox(form), "SpinEdit1");
                         spin->setValue(12);
                         return spin;
                     },
                     [](QObject* o) { static_cast<QSpinBox*>(o)->setValue(1); },
                     [](QObject* o) { return QString::number(static_cast<QSpinBox*>(o)->value()); }, kForm,
                     QStringLiteral("SpinEdit1->Value"), Text(QStringLiteral("12"))});
    cases.push_back({"combo box",
                     [](QWidget* form, const TempDir&) {
                         auto* box = Named(new QComboBox(form), "ComboBox1");
                         box->addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
                         box->setCurrentIndex(2);
                         return box;
                     },
                     [](QObject* o) {
                         auto* box = static_cast<QComboBox*>(o);
                         box->setItemText(1, QStringLiteral("changed"));
                         box->setCurrentIndex(0);
                     },
                     [](QObject* o) {
                         auto* box = static_cast<QComboBox*>(o);
                         QStringList state{QString::number(box->currentIndex()), box->currentText()};
                         for (int i = 0; i < box->count(); ++i)
                             state.append(box->itemText(i));
                         return Joined(state);
                     },
                     kForm, QStringLiteral("ComboBox1->Strings[1]"), Text(QStringLiteral("two"))});
    cases.push_back({"scroll box",
                     [](QWidget* form, const TempDir&) {
                         auto* box = Named(new QScrollArea(form), "ScrollBox1");
                         box->setGeometry(0, 0, 150, 100);
                         auto* inner = new QWidget;
                         inner->resize(600, 500);
                         box->setWidget(inner);
                         ShowNow(form);
                         box->verticalScrollBar()->setValue(80);
                         box->horizontalScrollBar()->setValue(120);
                         return box;
                     },
                     [](QObject* o) {
                         static_cast<QScrollArea*>(o)->verticalScrollBar()->setValue(0);
                         static_cast<QScrollArea*>(o)->horizontalScrollBar()->setValue(1);
                     },
                     [](QObject* o) { return ScrollPositions(static_cast<QScrollArea*>(o)); }, kForm,
                     QStringLiteral("ScrollBox1->HorzScrollBar->Position"), Text(QStringLiteral("120"))});
    cases.push_back({"page control",
                     [](QWidget* form, const TempDir&) {
                         auto* pages = Named(new QTabWidget(form), "PageControl1");
                         for (const char* name : {"TabSheet1", "TabSheet2", "TabSheet3"})
                             pages->addTab(Named(new QWidget, name), QString::fromLatin1(name));
                         pages->setCurrentIndex(2);
                         return pages;
                     },
                     [](QObject* o) { static_cast<QTabWidget*>(o)->setCurrentIndex(0); },
                     [](QObject* o) { return QString::number(static_cast<QTabWidget*>(o)->currentIndex()); }, kForm,
                     QStringLiteral("PageControl1->TabIndex"), Text(QStringLiteral("2"))});
    cases.push_back({"list box",
                     [](QWidget* form, const TempDir&) {
                         auto* list = Named(new QListWidget(form), "ListBoxLPointX");
                         list->addItems({QStringLiteral("10.5"), QStringLiteral("20"), QStringLiteral("")});
                         return list;
                     },
                     [](QObject* o) { static_cast<QListWidget*>(o)->item(1)->setText(QStringLiteral("x")); },
                     [](QObject* o) {
                         auto* list = static_cast<QListWidget*>(o);
                         QStringList items;
                         for (int i = 0; i < list->count(); ++i)
                             items.append(list->item(i)->text());
                         return Joined(items);
                     },
                     kForm, QStringLiteral("ListBoxLPointX->Count"), Text(QStringLiteral("3"))});
    cases.push_back({"memo",
                     [](QWidget* form, const TempDir&) {
                         auto* memo = Named(new QPlainTextEdit(form), "Memo1");
                         memo->setGeometry(0, 0, 150, 100);
                         memo->setLineWrapMode(QPlainTextEdit::NoWrap);
                         QStringList lines;
                         for (int i = 0; i < 200; ++i)
                             lines.append(QString(300, QChar(u'a' + i % 26)));
                         memo->setPlainText(lines.join(u'\n'));
                         ShowNow(form);
                         memo->verticalScrollBar()->setValue(50);
                         memo->horizontalScrollBar()->setValue(30);
                         return memo;
                     },
                     [](QObject* o) {
                         static_cast<QPlainTextEdit*>(o)->verticalScrollBar()->setValue(0);
                         static_cast<QPlainTextEdit*>(o)->horizontalScrollBar()->setValue(0);
                     },
                     [](QObject* o) { return ScrollPositions(static_cast<QPlainTextEdit*>(o)); }, kForm,
                     QStringLiteral("Memo1->VertScrollBarPosition"), Text(QStringLiteral("50"))});
    cases.push_back({"check box",
                     [](QWidget* form, const TempDir&) {
                         auto* box = Named(new QCheckBox(form), "CheckBoxDrawLink");
                         box->setChecked(true);
                         return box;
                     },
                     [](QObject* o) { static_cast<QCheckBox*>(o)->setChecked(false); },
                     [](QObject* o) { return QString::number(static_cast<QCheckBox*>(o)->isChecked()); }, kForm,
                     QStringLiteral("CheckBoxDrawLink->Checked"), Text(QStringLiteral("1"))});
    cases.push_back({"radio button",
                     [](QWidget* form, const TempDir&) {
                         auto* button = Named(new QRadioButton(form), "RadioButton1");
                         button->setAutoExclusive(false);
                         button->setChecked(true);
                         return button;
                     },
                     [](QObject* o) { static_cast<QRadioButton*>(o)->setChecked(false); },
                     [](QObject* o) { return QString::number(static_cast<QRadioButton*>(o)->isChecked()); }, kForm,
                     QStringLiteral("RadioButton1->Checked"), Text(QStringLiteral("1"))});
    cases.push_back({"speed button",
                     [](QWidget* form, const TempDir&) {
                         auto* button = Named(new QToolButton(form), "SpeedButtonPoint");
                         button->setCheckable(true);
                         button->setChecked(true);
                         return button;
                     },
                     [](QObject* o) { static_cast<QToolButton*>(o)->setChecked(false); },
                     [](QObject* o) { return QString::number(static_cast<QToolButton*>(o)->isChecked()); }, kForm,
                     QStringLiteral("SpeedButtonPoint->Down"), Text(QStringLiteral("1"))});
    cases.push_back({"checkable push button as a speed button",
                     [](QWidget* form, const TempDir&) {
                         auto* button = Named(new QPushButton(form), "SpeedButton1");
                         button->setCheckable(true);
                         button->setChecked(true);
                         return button;
                     },
                     [](QObject* o) { static_cast<QPushButton*>(o)->setChecked(false); },
                     [](QObject* o) { return QString::number(static_cast<QPushButton*>(o)->isChecked()); }, kForm,
                     QStringLiteral("SpeedButton1->Down"), Text(QStringLiteral("1"))});
    cases.push_back({"directory list",
                     [](QWidget* form, const TempDir& dir) {
                         std::filesystem::create_directories(dir.Path() / "pictures" / "old");
                         auto* view = Named(new QListView(form), "DirectoryListBox1");
                         auto* model = new QFileSystemModel(view);
                         view->setModel(model);
                         view->setRootIndex(model->index(QString::fromStdString(dir.File("pictures"))));
                         return view;
                     },
                     [](QObject* o) {
                         auto* view = static_cast<QListView*>(o);
                         view->setRootIndex(static_cast<QFileSystemModel*>(view->model())->index(QStringLiteral("/")));
                     },
                     [](QObject* o) {
                         auto* view = static_cast<QListView*>(o);
                         return static_cast<QFileSystemModel*>(view->model())->filePath(view->rootIndex());
                     },
                     kForm, QStringLiteral("DirectoryListBox1->Directory"),
                     [](QObject*, const TempDir& dir) { return QString::fromStdString(dir.File("pictures")); }});
    cases.push_back({"hot key",
                     [](QWidget* form, const TempDir&) {
                         auto* edit = Named(new QKeySequenceEdit(form), "HotKey1");
                         edit->setKeySequence(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
                         return edit;
                     },
                     [](QObject* o) { static_cast<QKeySequenceEdit*>(o)->setKeySequence(QKeySequence(Qt::Key_F1)); },
                     [](QObject* o) { return static_cast<QKeySequenceEdit*>(o)->keySequence().toString(); }, kForm,
                     QStringLiteral("HotKey1->HotKey"),
                     Text(QString::number(QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_K).toCombined()))});
    return cases;
}

TEST(MSaveIniClassesTest, EveryClassRoundTripsItsValueThroughTheFile)
{
    for (const ClassCase& c : Cases()) {
        SCOPED_TRACE(c.kind);
        TempDir dir;
        const QString code = QString::fromStdString(dir.File("settings"));
        QWidget form;
        form.setObjectName(kForm);
        form.resize(400, 300);
        QObject* control = c.make(&form, dir);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        const QString stored = c.state(control);

        ASSERT_TRUE(SaveToFileIni(&form, code));
        MIniFile ini;
        ASSERT_TRUE(ini.LoadFromFile(code + QStringLiteral(".ini")));
        EXPECT_EQ(ini.ReadString(c.section, c.key, QStringLiteral("(missing)")), c.value(control, dir));

        c.change(control);
        ASSERT_NE(c.state(control), stored);
        ASSERT_TRUE(LoadFromFileIni(&form, code));
        EXPECT_EQ(c.state(control), stored);
    }
}

// What a window builds before it is shown, as a main window's constructor does.
struct ScrolledForm {
    ScrolledForm()
    {
        form.setObjectName(kForm);
        form.resize(500, 400);
        group = Named(new MCategoryPanelGroup(&form), "CategoryPanelGroup1");
        group->setGeometry(0, 0, 150, 100);
        for (const char* name : {"CategoryPanelFile", "CategoryPanelAtoms", "CategoryPanelView"})
            Named(group->AddPanel(QString::fromLatin1(name)), name)->Body()->setFixedHeight(120);
        box = Named(new QScrollArea(&form), "ScrollBox1");
        box->setGeometry(160, 0, 150, 100);
        auto* inner = new QWidget;
        inner->setMinimumSize(600, 500);
        box->setWidget(inner);
        box->setWidgetResizable(true);
        splitter = Named(new QSplitter(&form), "Splitter1");
        splitter->setGeometry(0, 110, 300, 100);
        splitter->addWidget(NamedPane("PanelLeft"));
        splitter->addWidget(NamedPane("PanelRight"));
        grid = FilledGrid(&form, "StringGrid2", 6, 40);
        grid->move(0, 220);
    }
    QString State() const
    {
        return Joined({ScrollPositions(group), ScrollPositions(box), Sizes(splitter), GridView(grid)});
    }

    QWidget form;
    MCategoryPanelGroup* group;
    QScrollArea* box;
    QSplitter* splitter;
    QTableWidget* grid;
};

TEST(MSaveIniClassesTest, ScrollPositionsAndBarsComeBackInAWindowLoadedBeforeItIsShown)
{
    TempDir dir;
    const QString code = QString::fromStdString(dir.File("settings"));
    QString saved;
    {
        ScrolledForm shown;
        ShowNow(&shown.form);
        shown.group->verticalScrollBar()->setValue(170);
        shown.box->verticalScrollBar()->setValue(90);
        shown.box->horizontalScrollBar()->setValue(200);
        shown.splitter->setSizes({200, 95});
        shown.grid->verticalScrollBar()->setValue(9);
        saved = shown.State();
        ASSERT_TRUE(SaveToFileIni(&shown.form, code));
    }
    ScrolledForm restored;
    ASSERT_TRUE(LoadFromFileIni(&restored.form, code));
    ShowNow(&restored.form);
    EXPECT_EQ(restored.State(), saved);

    // Once the user has scrolled, a later range change leaves the bar alone.
    restored.group->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    restored.group->Panels()[0]->SetCollapsed(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(restored.group->verticalScrollBar()->value(), 0);
}

// The radio group's item index, which is all the file keeps of it.
TEST(MSaveIniClassesTest, ARadioGroupChoosesWithinItsItems)
{
    MRadioGroup group;
    QSignalSpy changes(&group, &MRadioGroup::ItemIndexChanged);
    group.SetItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    EXPECT_EQ(group.ItemIndex(), -1);
    struct Case {
        int set;
        int chosen;
    };
    const Case cases[] = {{1, 1}, {7, 2}, {-5, -1}, {0, 0}, {-1, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        group.SetItemIndex(c.set);
        EXPECT_EQ(group.ItemIndex(), c.chosen);
        const QList<QRadioButton*> buttons = group.findChildren<QRadioButton*>();
        for (int i = 0; i < buttons.size(); ++i)
            EXPECT_EQ(buttons[i]->isChecked(), i == c.chosen);
    }
    EXPECT_EQ(changes.count(), 5);
    group.findChildren<QRadioButton*>()[1]->click();
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_EQ(changes.last()[0].toInt(), 1);
}

}  // namespace
