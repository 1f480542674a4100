// The walk over a form: its sections and keys, reserved tags, the order in which forms and frames
// are told, defaults for keys the file lacks, and the edge cases of the value rows.

#include "MCategoryPanel.h"
#include "MIniFile.h"
#include "MSaveIni.h"
#include "MSaveIniHooks.h"
#include "MSaveIniUpDown.h"

#include <gtest/gtest.h>

#include "SaveIniTestSupport.h"
#include "TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>

#include <string>
#include <vector>

namespace {

QString ReadText(const QString& fileName)
{
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll());
}

void WriteText(const QString& fileName, const QString& text)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

QStringList Items(const QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

// Every notification with what the notified object saw at that moment.
using Log = std::vector<std::string>;

// A frame as the viewer frame is one: it keeps a value of its own (Marks) that the table cannot
// store, moves it into a hidden list box when a save begins and takes it back when a load ends.
class TestFrame : public QFrame, public MSaveIniFrame, public MSaveIniNotified {
public:
    TestFrame(QWidget* parent, Log& log) : QFrame(parent), log_(log)
    {
        setObjectName(QStringLiteral("FrameBmp1"));
        Edit = Named(new QLineEdit(this), "EditSyncGroup");
        List = Named(new QListWidget(this), "ListBoxLPointX");
    }
    void SaveIniNotify(int code) override
    {
        log_.push_back("frame " + std::to_string(code) + " tag " + std::to_string(property("Tag").toInt()) + " edit "
                       + Edit->text().toStdString());
        if (code == SaveIniSaveBegins) {
            List->clear();
            List->addItems(Marks);
        }
        if (code == SaveIniLoadEnds)
            Marks = Items(List);
    }

    QLineEdit* Edit;
    QListWidget* List;
    QStringList Marks;

private:
    Log& log_;
};

class TestForm : public QWidget, public MSaveIniNotified {
public:
    explicit TestForm(Log& log) : log_(log) { setObjectName(QStringLiteral("FormMain")); }
    void SaveIniNotify(int code) override
    {
        const QRect bounds = geometry();
        log_.push_back("form " + std::to_string(code) + " left " + std::to_string(bounds.left()) + " maximised "
                       + std::to_string(isMaximized()));
    }

private:
    Log& log_;
};

class MSaveIniWalkTest : public ::testing::Test {
protected:
    QString Code() const { return QString::fromStdString(dir_.File("settings")); }
    QString FileName() const { return Code() + QStringLiteral(".ini"); }

    TempDir dir_;
};

TEST_F(MSaveIniWalkTest, WritesTheSectionsAndKeysOfAFormAndItsFrameInWalkOrder)
{
    Log log;
    TestForm form(log);
    form.setGeometry(10, 20, 300, 200);
    auto* panel = Named(new QWidget(&form), "Panel2");
    Named(new QLineEdit(panel), "EditAx")->setText(QStringLiteral("1.5"));
    Named(new QCheckBox(panel), "CheckBoxDrawLink");
    Named(new QLineEdit(new QWidget(&form)), "EditOnAnUnnamedPanel");
    Named(new QLineEdit(&form), "qt_spinbox_lineedit");
    new QLineEdit(&form);
    auto* frame = new TestFrame(&form, log);
    frame->Edit->setText(QStringLiteral("2"));
    frame->Marks = {QStringLiteral("12.5")};
    auto* grid = Named(new QTableWidget(1, 2, frame), "Grid");
    grid->setProperty("Tag", SaveIniTagGridContents);
    grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("g")));
    auto* tagged = Named(new QLineEdit(&form), "EditTagged");
    tagged->setProperty("Tag", 7);
    tagged->setText(QStringLiteral("t"));
    auto* upDown = Named(new MSaveIniUpDown(&form), "UpDownSyncGroup");
    upDown->setValue(3);
    Named(upDown->findChild<QLineEdit*>(), "EditOfTheUpDown");

    ASSERT_TRUE(SaveToFileIni(&form, Code()));
    EXPECT_EQ(ReadText(FileName()),
              QStringLiteral("[FormMain]\n"
                             "FormMain->WindowState=0\n"
                             "FormMain->Top=20\n"
                             "FormMain->Left=10\n"
                             "FormMain->Height=200\n"
                             "FormMain->Width=300\n"
                             "EditAx->Text=1.5\n"
                             "CheckBoxDrawLink->Checked=0\n"
                             "EditTagged->Tag=7\n"
                             "EditTagged->Text=t\n"
                             "UpDownSyncGroup->Position=3\n"
                             "\n"
                             "[FormMain->FrameBmp1]\n"
                             "EditSyncGroup->Text=2\n"
                             "ListBoxLPointX->Count=1\n"
                             "ListBoxLPointX->Strings[0]=12.5\n"
                             "Grid->Tag=-101\n"
                             "\n"
                             "[FormMain->FrameBmp1_>Grid]\n"
                             "Grid->ColCount=2\n"
                             "Grid->RowCount=1\n"
                             "Grid->Cells[1][0]=g\n"
                             "\n"));
}

TEST_F(MSaveIniWalkTest, ASectionPrefixGoesBeforeTheFormsName)
{
    QWidget form;
    form.setObjectName(QStringLiteral("FormMain"));
    Named(new QLineEdit(&form), "EditAx")->setText(QStringLiteral("7"));
    ASSERT_TRUE(SaveToFileIni(&form, Code(), QStringLiteral("Second")));
    MIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(FileName()));
    EXPECT_EQ(ini.Sections(), QStringList{QStringLiteral("Second->FormMain")});
    EXPECT_EQ(ini.ReadString(QStringLiteral("Second->FormMain"), QStringLiteral("EditAx->Text"), {}),
              QStringLiteral("7"));
}

TEST_F(MSaveIniWalkTest, TagMinus105KeepsTheBuiltValueOfAControlAndAllItOwns)
{
    QWidget form;
    form.setObjectName(QStringLiteral("FormMain"));
    auto* nx = Named(new QSpinBox(&form), "SpinEditNx");
    nx->setProperty("Tag", SaveIniTagSkip);
    nx->setValue(3);
    auto* skippedPanel = Named(new QWidget(&form), "PanelSkipped");
    skippedPanel->setProperty("Tag", SaveIniTagSkip);
    auto* inside = Named(new QLineEdit(skippedPanel), "EditInside");
    inside->setText(QStringLiteral("built"));
    auto* tagged = Named(new QCheckBox(&form), "CheckBoxTagged");
    tagged->setProperty("Tag", 7);

    ASSERT_TRUE(SaveToFileIni(&form, Code()));
    const QString text = ReadText(FileName());
    EXPECT_FALSE(text.contains(QStringLiteral("SpinEditNx")));
    EXPECT_FALSE(text.contains(QStringLiteral("Skipped")));
    EXPECT_FALSE(text.contains(QStringLiteral("EditInside")));
    EXPECT_TRUE(text.contains(QStringLiteral("CheckBoxTagged->Tag=7\n")));

    // Keys of it that the file holds are not read either.
    WriteText(FileName(), text + QStringLiteral("[FormMain]\nSpinEditNx->Value=5\nEditInside->Text=old\n"));
    nx->setValue(9);
    inside->setText(QStringLiteral("changed"));
    tagged->setProperty("Tag", 0);
    ASSERT_TRUE(LoadFromFileIni(&form, Code()));
    EXPECT_EQ(nx->value(), 9);
    EXPECT_EQ(inside->text(), QStringLiteral("changed"));
    EXPECT_EQ(tagged->property("Tag").toInt(), 7);
}

TEST_F(MSaveIniWalkTest, FormsAndFramesAreToldInOrderAroundTheirContents)
{
    Log log;
    TestForm form(log);
    form.setGeometry(10, 20, 300, 200);
    form.setWindowState(Qt::WindowMaximized);
    auto* frame = new TestFrame(&form, log);
    frame->Edit->setText(QStringLiteral("saved"));
    frame->Marks = {QStringLiteral("1"), QStringLiteral("2")};

    ASSERT_TRUE(SaveToFileIni(&form, Code()));
    EXPECT_EQ(log,
              Log({"form -103 left 10 maximised 1", "frame -103 tag 0 edit saved", "frame -104 tag 0 edit saved",
                   "form -104 left 10 maximised 0"}));

    log.clear();
    MIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(FileName()));
    ini.WriteInteger(QStringLiteral("FormMain"), QStringLiteral("FormMain->Left"), 40);
    ini.WriteInteger(QStringLiteral("FormMain->FrameBmp1"), QStringLiteral("FrameBmp1->Tag"), 5);
    ASSERT_TRUE(ini.SaveToFile(FileName()));
    frame->Edit->setText(QStringLiteral("changed"));
    frame->Marks.clear();
    ASSERT_TRUE(LoadFromFileIni(&form, Code()));
    EXPECT_EQ(log,
              Log({"form -101 left 10 maximised 0", "frame -101 tag 5 edit changed", "frame -102 tag 5 edit saved",
                   "form -102 left 40 maximised 1"}));
    EXPECT_EQ(frame->Marks, QStringList({QStringLiteral("1"), QStringLiteral("2")}));
}

TEST_F(MSaveIniWalkTest, KeysMissingFromTheFileLeaveControlsAsTheyAreExceptWhereADefaultIsGiven)
{
    QWidget form;
    form.setObjectName(QStringLiteral("FormMain"));
    form.setGeometry(10, 20, 300, 200);
    form.setWindowState(Qt::WindowMaximized);
    auto* edit = Named(new QLineEdit(&form), "EditAx");
    auto* bar = Named(new QScrollBar(&form), "ScrollBarAx");
    bar->setRange(0, 3600);
    bar->setValue(900);
    auto* box = Named(new QComboBox(&form), "ComboBox1");
    box->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    box->setCurrentIndex(2);
    auto* list = Named(new QListWidget(&form), "ListBox1");
    list->addItems({QStringLiteral("x"), QStringLiteral("y")});
    auto* grid = Named(new QTableWidget(2, 2, &form), "StringGrid1");
    grid->setItem(1, 1, new QTableWidgetItem(QStringLiteral("kept")));
    auto* check = Named(new QCheckBox(&form), "CheckBox1");
    check->setChecked(true);

    WriteText(FileName(), QStringLiteral("[FormMain]\nEditAx->Text=5\n"));
    ASSERT_TRUE(LoadFromFileIni(&form, Code()));
    EXPECT_EQ(edit->text(), QStringLiteral("5"));
    EXPECT_EQ(bar->value(), 900);
    EXPECT_EQ(box->currentIndex(), 0);  // the item index defaults to the first item
    EXPECT_EQ(Items(box), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(Items(list), QStringList({QStringLiteral("x"), QStringLiteral("y")}));
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(1, 1)->text(), QStringLiteral("kept"));
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(form.geometry(), QRect(10, 20, 300, 200));
    EXPECT_FALSE(form.isMaximized());  // the window state defaults to normal
}

TEST_F(MSaveIniWalkTest, AScrollBarPositionIsClampedToTheBarsCurrentRange)
{
    struct Case {
        int saved;
        int loaded;
    };
    const Case cases[] = {{5000, 3600}, {-10, 0}, {3600, 3600}, {1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        QWidget form;
        form.setObjectName(QStringLiteral("FormMain"));
        auto* bar = Named(new QScrollBar(&form), "ScrollBarAx");
        bar->setRange(0, 3600);
        bar->setValue(1800);
        WriteText(FileName(), QStringLiteral("[FormMain]\nScrollBarAx->Position=%1\n").arg(c.saved));
        ASSERT_TRUE(LoadFromFileIni(&form, Code()));
        EXPECT_EQ(bar->value(), c.loaded);
    }
}

TEST_F(MSaveIniWalkTest, ListsReplaceTheSavedItemsAndKeepTheRest)
{
    QWidget form;
    form.setObjectName(QStringLiteral("FormMain"));
    auto* list = Named(new QListWidget(&form), "ListBox1");
    auto* longer = Named(new QComboBox(&form), "ComboBoxLonger");
    auto* shorter = Named(new QComboBox(&form), "ComboBoxShorter");
    list->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    longer->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    shorter->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    ASSERT_TRUE(SaveToFileIni(&form, Code()));

    list->clear();
    list->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
    longer->clear();
    longer->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
    shorter->clear();
    shorter->addItem(QStringLiteral("1"));
    ASSERT_TRUE(LoadFromFileIni(&form, Code()));
    EXPECT_EQ(Items(list),
              QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("4"),
                           QStringLiteral("5")}));
    EXPECT_EQ(Items(longer),
              QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("4"),
                           QStringLiteral("5")}));
    EXPECT_EQ(Items(shorter), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

TEST_F(MSaveIniWalkTest, ADamagedItemCountCannotMakeALoadRunAway)
{
    QWidget form;
    form.setObjectName(QStringLiteral("FormMain"));
    auto* list = Named(new QListWidget(&form), "ListBox1");
    list->addItem(QStringLiteral("kept"));
    WriteText(FileName(), QStringLiteral("[FormMain]\nListBox1->Count=2000000000\nListBox1->Strings[1]=b\n"));
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(LoadFromFileIni(&form, Code()));
    EXPECT_LT(timer.elapsed(), 5000);
    ASSERT_GE(list->count(), 2);
    EXPECT_LE(list->count(), 1 + 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("kept"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("b"));
}

TEST_F(MSaveIniWalkTest, APageIndexOutsideThePagesLeavesTheActivePage)
{
    struct Case {
        int saved;
        int active;
    };
    const Case cases[] = {{-1, 1}, {3, 1}, {99, 1}, {2, 2}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        QWidget form;
        form.setObjectName(QStringLiteral("FormMain"));
        auto* pages = Named(new QTabWidget(&form), "PageControl1");
        for (int i = 0; i < 3; ++i)
            pages->addTab(new QWidget, QString::number(i));
        pages->setCurrentIndex(1);
        WriteText(FileName(), QStringLiteral("[FormMain]\nPageControl1->TabIndex=%1\n").arg(c.saved));
        ASSERT_TRUE(LoadFromFileIni(&form, Code()));
        EXPECT_EQ(pages->currentIndex(), c.active);
    }
}

TEST_F(MSaveIniWalkTest, ControlsInsideContainersAreStoredInTheFormsSection)
{
    QWidget form;
    form.setObjectName(QStringLiteral("FormMain"));
    auto* scrollBox = Named(new QScrollArea(&form), "ScrollBox1");
    auto* boxContent = new QWidget;
    Named(new QLineEdit(boxContent), "EditInScrollBox");
    scrollBox->setWidget(boxContent);
    auto* pages = Named(new QTabWidget(&form), "PageControl1");
    auto* namedPage = Named(new QWidget, "TabSheet1");
    Named(new QLineEdit(namedPage), "EditOnNamedPage");
    auto* unnamedPage = new QWidget;
    Named(new QLineEdit(unnamedPage), "EditOnUnnamedPage");
    pages->addTab(namedPage, QStringLiteral("1"));
    pages->addTab(unnamedPage, QStringLiteral("2"));
    auto* splitter = Named(new QSplitter(&form), "Splitter1");
    auto* pane = new QWidget;
    Named(new QLineEdit(pane), "EditInPane");
    splitter->addWidget(pane);
    auto* panel = Named(new MCategoryPanel(QStringLiteral("File"), &form), "CategoryPanelFile");
    Named(new QLineEdit(panel->Body()), "EditOnPanel");

    ASSERT_TRUE(SaveToFileIni(&form, Code()));
    MIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(FileName()));
    for (const char* key : {"EditInScrollBox->Text", "EditOnNamedPage->Text", "EditOnUnnamedPage->Text",
                            "EditInPane->Text", "EditOnPanel->Text"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(ini.ValueExists(QStringLiteral("FormMain"), QString::fromLatin1(key)));
    }
    EXPECT_EQ(ini.Sections(), QStringList{QStringLiteral("FormMain")});
}

}  // namespace
