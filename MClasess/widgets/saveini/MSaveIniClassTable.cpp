#include "MSaveIniClassTable.h"
#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "MRadioGroup.h"
#include "MSaveIniContent.h"
#include "MSaveIniGrid.h"
#include "MSaveIniLists.h"
#include "MSaveIniScrolling.h"
#include "MSaveIniSplitter.h"
#include "MSaveIniUpDown.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace saveini {

namespace {

template <class Control>
bool Is(const QObject* component)
{
    return qobject_cast<const Control*>(component) != nullptr;
}

template <class Control>
Control* As(QObject* component)
{
    return static_cast<Control*>(component);
}

// ---- Rows of one value ---------------------------------------------------------------------

bool IsMenuItem(const QObject* component)
{
    const auto* action = qobject_cast<const QAction*>(component);
    return action && action->isCheckable();
}

void SaveMenuItem(QObject* component, const MSaveIniKeys& keys)
{
    keys.WriteBool(u"->Checked", As<QAction>(component)->isChecked());
}

void LoadMenuItem(QObject* component, const MSaveIniKeys& keys)
{
    auto* item = As<QAction>(component);
    item->setChecked(keys.ReadBool(u"->Checked", item->isChecked()));
}

void SaveCategoryPanel(QObject* component, const MSaveIniKeys& keys)
{
    keys.WriteBool(u"->Collapsed", As<MCategoryPanel>(component)->Collapsed());
}

void LoadCategoryPanel(QObject* component, const MSaveIniKeys& keys)
{
    auto* panel = As<MCategoryPanel>(component);
    panel->SetCollapsed(keys.ReadBool(u"->Collapsed", panel->Collapsed()));
}

QObjectList CategoryPanelBody(QObject* component)
{
    return ContentOf({As<MCategoryPanel>(component)->Body()});
}

void SaveRadioGroup(QObject* component, const MSaveIniKeys& keys)
{
    keys.WriteInteger(u"->ItemIndex", As<MRadioGroup>(component)->ItemIndex());
}

void LoadRadioGroup(QObject* component, const MSaveIniKeys& keys)
{
    auto* group = As<MRadioGroup>(component);
    group->SetItemIndex(keys.ReadInteger(u"->ItemIndex", group->ItemIndex()));
}

void SaveEdit(QObject* component, const MSaveIniKeys& keys)
{
    keys.WriteString(u"->Text", As<QLineEdit>(component)->text());
}

void LoadEdit(QObject* component, const MSaveIniKeys& keys)
{
    auto* edit = As<QLineEdit>(component);
    edit->setText(keys.ReadString(u"->Text", edit->text()));
}

// Track bar, up-down and scroll bar: a position within a range.
void SavePosition(QObject* component, const MSaveIniKeys& keys)
{
    if (auto* spin = qobject_cast<QSpinBox*>(component))
        keys.WriteInteger(u"->Position", spin->value());
    else
        keys.WriteInteger(u"->Position", As<QAbstractSlider>(component)->value());
}

void LoadUpDown(QObject* component, const MSaveIniKeys& keys)
{
    auto* upDown = As<QSpinBox>(component);
    upDown->setValue(keys.ReadInteger(u"->Position", upDown->value()));
}

void LoadSliderPosition(QObject* component, const MSaveIniKeys& keys)
{
    auto* slider = As<QAbstractSlider>(component);
    slider->setValue(keys.ReadInteger(u"->Position", slider->value()));
}

void LoadScrollBarPosition(QObject* component, const MSaveIniKeys& keys)
{
    auto* bar = As<QScrollBar>(component);
    bar->setValue(std::clamp(keys.ReadInteger(u"->Position", bar->value()), bar->minimum(), bar->maximum()));
}

void SaveSpinEdit(QObject* component, const MSaveIniKeys& keys)
{
    keys.WriteInteger(u"->Value", As<QSpinBox>(component)->value());
}

void LoadSpinEdit(QObject* component, const MSaveIniKeys& keys)
{
    auto* spin = As<QSpinBox>(component);
    spin->setValue(keys.ReadInteger(u"->Value", spin->value()));
}

void SavePageControl(QObject* component, const MSaveIniKeys& keys)
{
    keys.WriteInteger(u"->TabIndex", As<QTabWidget>(component)->currentIndex());
}

void LoadPageControl(QObject* component, const MSaveIniKeys& keys)
{
    auto* pages = As<QTabWidget>(component);
    const int index = keys.ReadInteger(u"->TabIndex", pages->currentIndex());
    if (index >= 0 && index < pages->count())
        pages->setCurrentIndex(index);
}

QObjectList PagesOf(QObject* component)
{
    auto* pages = As<QTabWidget>(component);
    QList<QWidget*> widgets;
    for (int i = 0; i < pages->count(); ++i)
        widgets.append(pages->widget(i));
    return ContentOf(widgets);
}

// Check box and radio button.
void SaveChecked(QObject* component, const MSaveIniKeys& keys)
{
    keys.WriteBool(u"->Checked", As<QAbstractButton>(component)->isChecked());
}

void LoadChecked(QObject* component, const MSaveIniKeys& keys)
{
    auto* button = As<QAbstractButton>(component);
    button->setChecked(keys.ReadBool(u"->Checked", button->isChecked()));
}

bool IsSpeedButton(const QObject* component)
{
    const auto* button = qobject_cast<const QAbstractButton*>(component);
    return button && (Is<QToolButton>(button) || button->isCheckable());
}

void SaveDown(QObject* component, const MSaveIniKeys& keys)
{
    keys.WriteBool(u"->Down", As<QAbstractButton>(component)->isChecked());
}

void LoadDown(QObject* component, const MSaveIniKeys& keys)
{
    auto* button = As<QAbstractButton>(component);
    button->setChecked(keys.ReadBool(u"->Down", button->isChecked()));
}

QFileSystemModel* FileSystemModelOf(const QObject* component)
{
    const auto* view = qobject_cast<const QAbstractItemView*>(component);
    return view ? qobject_cast<QFileSystemModel*>(view->model()) : nullptr;
}

bool IsDirectoryList(const QObject* component)
{
    return FileSystemModelOf(component) != nullptr;
}

void SaveDirectory(QObject* component, const MSaveIniKeys& keys)
{
    auto* view = As<QAbstractItemView>(component);
    keys.WriteString(u"->Directory", FileSystemModelOf(view)->filePath(view->rootIndex()));
}

void LoadDirectory(QObject* component, const MSaveIniKeys& keys)
{
    auto* view = As<QAbstractItemView>(component);
    QFileSystemModel* model = FileSystemModelOf(view);
    const QString directory = keys.ReadString(u"->Directory", model->filePath(view->rootIndex()));
    // A folder removed since the save would show an empty list; the current one is better.
    if (QFileInfo(directory).isDir())
        view->setRootIndex(model->index(directory));
}

void SaveHotKey(QObject* component, const MSaveIniKeys& keys)
{
    const QKeySequence sequence = As<QKeySequenceEdit>(component)->keySequence();
    keys.WriteInteger(u"->HotKey", sequence.isEmpty() ? 0 : sequence[0].toCombined());
}

void LoadHotKey(QObject* component, const MSaveIniKeys& keys)
{
    auto* edit = As<QKeySequenceEdit>(component);
    const QKeySequence current = edit->keySequence();
    const int key = keys.ReadInteger(u"->HotKey", current.isEmpty() ? 0 : current[0].toCombined());
    edit->setKeySequence(key == 0 ? QKeySequence() : QKeySequence(QKeyCombination::fromCombined(key)));
}

// ---- The table -----------------------------------------------------------------------------

const std::array kRows = {
    TClassRow{"string grid", Is<QTableWidget>, SaveGrid, LoadGrid, nullptr},
    TClassRow{"splitter", Is<QSplitter>, SaveSplitter, LoadSplitter, SplitterPanes},
    TClassRow{"menu item", IsMenuItem, SaveMenuItem, LoadMenuItem, nullptr},
    TClassRow{"category panel group", Is<MCategoryPanelGroup>, SaveScrollPositions, LoadScrollPositions,
              PanelsOfGroup},
    TClassRow{"category panel", Is<MCategoryPanel>, SaveCategoryPanel, LoadCategoryPanel, CategoryPanelBody},
    TClassRow{"radio group", Is<MRadioGroup>, SaveRadioGroup, LoadRadioGroup, nullptr},
    TClassRow{"edit", Is<QLineEdit>, SaveEdit, LoadEdit, nullptr},
    TClassRow{"track bar", Is<QSlider>, SavePosition, LoadSliderPosition, nullptr},
    TClassRow{"up-down", Is<MSaveIniUpDown>, SavePosition, LoadUpDown, nullptr},
    TClassRow{"scroll bar", Is<QScrollBar>, SavePosition, LoadScrollBarPosition, nullptr},
    TClassRow{"spin edit", Is<QSpinBox>, SaveSpinEdit, LoadSpinEdit, nullptr},
    TClassRow{"combo box", Is<QComboBox>, SaveComboBox, LoadComboBox, nullptr},
    TClassRow{"scroll box", Is<QScrollArea>, SaveScrollPositions, LoadScrollPositions, ScrollAreaContent},
    TClassRow{"page control", Is<QTabWidget>, SavePageControl, LoadPageControl, PagesOf},
    TClassRow{"list box", Is<QListWidget>, SaveListBox, LoadListBox, nullptr},
    TClassRow{"memo", Is<QPlainTextEdit>, SaveMemo, LoadMemo, nullptr},
    TClassRow{"check box", Is<QCheckBox>, SaveChecked, LoadChecked, nullptr},
    TClassRow{"radio button", Is<QRadioButton>, SaveChecked, LoadChecked, nullptr},
    TClassRow{"speed or tool button", IsSpeedButton, SaveDown, LoadDown, nullptr},
    TClassRow{"directory list", IsDirectoryList, SaveDirectory, LoadDirectory, nullptr},
    TClassRow{"hot key", Is<QKeySequenceEdit>, SaveHotKey, LoadHotKey, nullptr},
};

}  // namespace

const TClassRow* FindClassRow(const QObject* component)
{
    for (const TClassRow& row : kRows)
        if (row.Matches(component))
            return &row;
    return nullptr;
}

}  // namespace saveini
