// The Elements view of the main window on the offscreen platform: a row per symbol, an element
// chosen in a row rebuilds the picture at once, and the choice comes back with the file.

#include "ElementsView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <memory>

#include "ElementChoiceMemory.h"
#include "StatusLine.h"
#include "FormMain_.h"
#include "FrameBmp_.h"
#include "MIniFile.h"
#include "TempDir.h"

namespace {

// Water as a molecular-dynamics dump writes it: atom types O = 1, H = 2, read as H and He.
const char* const kWaterDump = "3\nwater\n1 0 0 0.1\n2 0.76 0.59 0\n2 -0.76 0.59 0\n";

std::filesystem::path SettingsFile()
{
    return std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).replace_extension(".ini");
}

class ElementsViewTest : public ::testing::Test {
protected:
    ElementsViewTest()
    {
        std::filesystem::remove(SettingsFile());
        std::filesystem::copy_file(std::filesystem::path(PELMORA_DATA_DIR) / "Atom.txt", dir.Path() / "Atom.txt");
        std::ofstream(dir.Path() / "dump.xyz", std::ios::binary) << kWaterDump;
        std::ofstream(dir.Path() / "water.xyz", std::ios::binary)
            << "3\nwater\nO 0 0 0.1\nH 0.76 0.59 0\nH -0.76 0.59 0\n";
    }
    ~ElementsViewTest() override
    {
        window.reset();
        std::filesystem::remove(SettingsFile());
    }

    TFormMain& Make()
    {
        TFormMainDialogs dialogs;
        dialogs.AskOpenFileName = [](QWidget*, const QString&) { return QString(); };
        dialogs.AskSaveFileName = [](QWidget*, const QString&) { return QString(); };
        dialogs.ShowMessage = [this](QWidget*, const QString& text) { messages.push_back(text); };
        dialogs.ShowError = [this](QWidget*, const QString& text) { messages.push_back(text); };
        window = std::make_unique<TFormMain>(QString::fromStdString(dir.Path().string()), dialogs);
        window->resize(900, 600);
        return *window;
    }
    QString Path(const char* name) const { return QString::fromStdString((dir.Path() / name).string()); }
    QImage Shown() const { return window->FrameBmp1->Bmp->copy(); }

    // The text of a row of the view: symbol, element, rule, atoms.
    QStringList Row(int row) const
    {
        const QTableWidget* table = window->ElementsWindow()->Table();
        const auto* element = qobject_cast<QComboBox*>(table->cellWidget(row, ElementsView::ElementColumn));
        return {table->item(row, ElementsView::SymbolColumn)->text(), element->currentText(),
                table->item(row, ElementsView::RuleColumn)->text(), table->item(row, ElementsView::AtomsColumn)->text()};
    }

    TempDir dir;
    std::vector<QString> messages;
    std::unique_ptr<TFormMain> window;
};

TEST_F(ElementsViewTest, AnElementChosenInARowRebuildsThePictureAndComesBackWithTheFile)
{
    TFormMain& w = Make();
    w.show();
    w.OpenFile(Path("water.xyz"));
    const QImage water = Shown();
    EXPECT_FALSE(w.StatusLine1->LabelNote->isVisible());

    w.OpenFile(Path("dump.xyz"));
    const QImage guessed = Shown();
    EXPECT_NE(guessed, water);
    // Told once, in the window: no message box.
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(w.StatusLine1->LabelNote->isVisible());
    EXPECT_TRUE(w.StatusLine1->LabelNote->text().startsWith("Elements guessed by atomic number: 1 -> H, 2 -> He"));

    QTest::mouseClick(w.SpeedButtonElements, Qt::LeftButton);
    ElementsView* view = w.ElementsWindow();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(view->isModal());
    ASSERT_EQ(view->Table()->rowCount(), 2);
    EXPECT_EQ(Row(0), (QStringList{"1", "H", "atomic number", "1"}));
    EXPECT_EQ(Row(1), (QStringList{"2", "He", "atomic number", "2"}));
    // The keyboard starts at the first row's list.
    EXPECT_EQ(view->focusWidget(), view->Table()->cellWidget(0, ElementsView::ElementColumn));

    // The user picks oxygen for type 1 (typed) and hydrogen for type 2 (the entry above helium).
    QTest::keyClicks(view->Table()->cellWidget(0, ElementsView::ElementColumn), "O");
    EXPECT_EQ(Row(0), (QStringList{"1", "O", "chosen", "1"}));
    EXPECT_TRUE(w.StatusLine1->LabelNote->text().startsWith("Elements guessed by atomic number: 2 -> He"));
    QTest::keyClick(view->Table()->cellWidget(1, ElementsView::ElementColumn), Qt::Key_Up);
    EXPECT_EQ(Row(1), (QStringList{"2", "H", "chosen", "2"}));
    EXPECT_FALSE(w.StatusLine1->LabelNote->isVisible());
    EXPECT_EQ(Shown(), water);

    // Another file, then the dump again, in a new window: the choice is back.
    w.OpenFile(Path("water.xyz"));
    window.reset();
    TFormMain& again = Make();
    again.show();
    again.OpenFile(Path("dump.xyz"));
    EXPECT_EQ(Shown(), water);
    again.SpeedButtonElementsClick(nullptr);
    EXPECT_EQ(Row(0), (QStringList{"1", "O", "chosen", "1"}));

    // "(by the rules)" takes the choice back.
    QComboBox* first = qobject_cast<QComboBox*>(again.ElementsWindow()->Table()->cellWidget(0, 1));
    first->setCurrentIndex(0);
    emit first->activated(0);
    EXPECT_EQ(Row(0), (QStringList{"1", "H", "atomic number", "1"}));
    EXPECT_TRUE(messages.empty());
}

TEST(ElementChoiceMemoryTest, TheMapsOfTheLastFilesAreKeptMostRecentFirst)
{
    MIniFile ini;
    const ElementMap water{{"1", "O"}, {"2", "H"}};
    for (int i = 0; i <= ElementChoiceMostFiles; ++i)
        RememberElementChoices(ini, QString("/data/run%1.xyz").arg(i), {{"1", std::to_string(i)}});
    // The oldest of one file too many is forgotten.
    EXPECT_EQ(RecallElementChoices(ini, "/data/run0.xyz"), ElementMap{});
    EXPECT_EQ(RecallElementChoices(ini, "/data/run1.xyz"), (ElementMap{{"1", "1"}}));
    EXPECT_EQ(ini.KeyCount(ElementChoiceSection), 2 * ElementChoiceMostFiles);

    // Choosing again moves a file first, so it outlives the others.
    RememberElementChoices(ini, "/data/run1.xyz", water);
    RememberElementChoices(ini, "/data/new.xyz", water);
    EXPECT_EQ(RecallElementChoices(ini, "/data/run1.xyz"), water);
    EXPECT_EQ(RecallElementChoices(ini, "/data/run2.xyz"), ElementMap{});
    EXPECT_EQ(ini.ReadString(ElementChoiceSection, "File1", {}), "/data/new.xyz");

    // An empty map forgets the file; a broken map reads as none.
    RememberElementChoices(ini, "/data/new.xyz", {});
    EXPECT_EQ(ini.ReadString(ElementChoiceSection, "File1", {}), "/data/run1.xyz");
    ini.WriteString(ElementChoiceSection, "Map1", "1=");
    EXPECT_EQ(RecallElementChoices(ini, "/data/run1.xyz"), ElementMap{});
}

}  // namespace
