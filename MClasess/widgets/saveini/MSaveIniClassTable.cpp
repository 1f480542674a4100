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

void BindMenuItem(QObject* component, const MSaveIniBinder& keys)
{
    auto* item = As<QAction>(component);
    keys.Key(u"->Checked", item->isChecked(), [item](bool checked) { item->setChecked(checked); });
}

void BindCategoryPanel(QObject* component, const MSaveIniBinder& keys)
{
    auto* panel = As<MCategoryPanel>(component);
    keys.Key(u"->Collapsed", panel->Collapsed(), [panel](bool collapsed) { panel->SetCollapsed(collapsed); });
}

QObjectList CategoryPanelBody(QObject* component) { return ContentOf({As<MCategoryPanel>(component)->Body()}); }

void BindRadioGroup(QObject* component, const MSaveIniBinder& keys)
{
    auto* group = As<MRadioGroup>(component);
    keys.Key(u"->ItemIndex", group->ItemIndex(), [group](int index) { group->SetItemIndex(index); });
}

void BindEdit(QObject* component, const MSaveIniBinder& keys)
{
    auto* edit = As<QLineEdit>(component);
    keys.Key(u"->Text", edit->text(), [edit](const QString& text) { edit->setText(text); });
}

// Track bar and up-down: a position within a range.
void BindPosition(QObject* component, const MSaveIniBinder& keys)
{
    if (auto* upDown = qobject_cast<QSpinBox*>(component)) {
        keys.Key(u"->Position", upDown->value(), [upDown](int position) { upDown->setValue(position); });
        return;
    }
    auto* slider = As<QAbstractSlider>(component);
    keys.Key(u"->Position", slider->value(), [slider](int position) { slider->setValue(position); });
}

void BindScrollBarPosition(QObject* component, const MSaveIniBinder& keys)
{
    auto* bar = As<QScrollBar>(component);
    keys.Key(u"->Position", bar->value(),
             [bar](int position) { bar->setValue(std::clamp(position, bar->minimum(), bar->maximum())); });
}

void BindSpinEdit(QObject* component, const MSaveIniBinder& keys)
{
    auto* spin = As<QSpinBox>(component);
    keys.Key(u"->Value", spin->value(), [spin](int value) { spin->setValue(value); });
}

void BindPageControl(QObject* component, const MSaveIniBinder& keys)
{
    auto* pages = As<QTabWidget>(component);
    keys.Key(u"->TabIndex", pages->currentIndex(), [pages](int index) {
        if (index >= 0 && index < pages->count())
            pages->setCurrentIndex(index);
    });
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
void BindChecked(QObject* component, const MSaveIniBinder& keys)
{
    auto* button = As<QAbstractButton>(component);
    keys.Key(u"->Checked", button->isChecked(), [button](bool checked) { button->setChecked(checked); });
}

bool IsSpeedButton(const QObject* component)
{
    const auto* button = qobject_cast<const QAbstractButton*>(component);
    return button && (Is<QToolButton>(button) || button->isCheckable());
}

void BindDown(QObject* component, const MSaveIniBinder& keys)
{
    auto* button = As<QAbstractButton>(component);
    keys.Key(u"->Down", button->isChecked(), [button](bool down) { button->setChecked(down); });
}

QFileSystemModel* FileSystemModelOf(const QObject* component)
{
    const auto* view = qobject_cast<const QAbstractItemView*>(component);
    return view ? qobject_cast<QFileSystemModel*>(view->model()) : nullptr;
}

bool IsDirectoryList(const QObject* component) { return FileSystemModelOf(component) != nullptr; }

void BindDirectory(QObject* component, const MSaveIniBinder& keys)
{
    auto* view = As<QAbstractItemView>(component);
    QFileSystemModel* model = FileSystemModelOf(view);
    keys.Key(u"->Directory", model->filePath(view->rootIndex()), [view, model](const QString& directory) {
        // A folder removed since the save would show an empty list; the current one is better.
        if (QFileInfo(directory).isDir())
            view->setRootIndex(model->index(directory));
    });
}

// The first key with its modifiers, as Qt's combined key code; 0 for none.
int HotKeyCode(const QKeySequence& sequence) { return sequence.isEmpty() ? 0 : sequence[0].toCombined(); }

void BindHotKey(QObject* component, const MSaveIniBinder& keys)
{
    auto* edit = As<QKeySequenceEdit>(component);
    keys.Key(u"->HotKey", HotKeyCode(edit->keySequence()), [edit](int code) {
        edit->setKeySequence(code == 0 ? QKeySequence() : QKeySequence(QKeyCombination::fromCombined(code)));
    });
}

// ---- The table -----------------------------------------------------------------------------

const std::array kRows = {
    TClassRow{"string grid", Is<QTableWidget>, BindGrid, nullptr},
    TClassRow{"splitter", Is<QSplitter>, BindSplitter, SplitterPanes},
    TClassRow{"menu item", IsMenuItem, BindMenuItem, nullptr},
    TClassRow{"category panel group", Is<MCategoryPanelGroup>, BindScrollPositions, PanelsOfGroup},
    TClassRow{"category panel", Is<MCategoryPanel>, BindCategoryPanel, CategoryPanelBody},
    TClassRow{"radio group", Is<MRadioGroup>, BindRadioGroup, nullptr},
    TClassRow{"edit", Is<QLineEdit>, BindEdit, nullptr},
    TClassRow{"track bar", Is<QSlider>, BindPosition, nullptr},
    TClassRow{"up-down", Is<MSaveIniUpDown>, BindPosition, nullptr},
    TClassRow{"scroll bar", Is<QScrollBar>, BindScrollBarPosition, nullptr},
    TClassRow{"spin edit", Is<QSpinBox>, BindSpinEdit, nullptr},
    TClassRow{"combo box", Is<QComboBox>, BindComboBox, nullptr},
    TClassRow{"scroll box", Is<QScrollArea>, BindScrollPositions, ScrollAreaContent},
    TClassRow{"page control", Is<QTabWidget>, BindPageControl, PagesOf},
    TClassRow{"list box", Is<QListWidget>, BindListBox, nullptr},
    TClassRow{"memo", Is<QPlainTextEdit>, BindMemo, nullptr},
    TClassRow{"check box", Is<QCheckBox>, BindChecked, nullptr},
    TClassRow{"radio button", Is<QRadioButton>, BindChecked, nullptr},
    TClassRow{"speed or tool button", IsSpeedButton, BindDown, nullptr},
    TClassRow{"directory list", IsDirectoryList, BindDirectory, nullptr},
    TClassRow{"hot key", Is<QKeySequenceEdit>, BindHotKey, nullptr},
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
