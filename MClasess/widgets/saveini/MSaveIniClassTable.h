#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINICLASSTABLE_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINICLASSTABLE_H

// Which properties of a control window-state persistence stores, by class. Rows are tried in
// order and the first that matches decides; a control that matches none stores nothing and
// is walked. Keys are the control's name followed by the paths below. Each row binds its keys
// once (MSaveIniBinder.h), and the same binding serves a save and a load.
//
//  string grid      QTableWidget                   see MSaveIniGrid.h                  end
//  splitter         QSplitter                      see MSaveIniSplitter.h              panes
//  menu item        checkable QAction              ->Checked                           end
//  category group   MCategoryPanelGroup            see MSaveIniScrolling.h             panels
//  category panel   MCategoryPanel                 ->Collapsed                         body
//  radio group      MRadioGroup                    ->ItemIndex                         end
//  edit             QLineEdit                      ->Text                              end
//  track bar        QSlider                        ->Position                          end
//  up-down          MSaveIniUpDown                 ->Position                          end
//  scroll bar       QScrollBar                     ->Position (clamped to the range)   end
//  spin edit        QSpinBox                       ->Value                             end
//  combo box        QComboBox                      see MSaveIniLists.h                 end
//  scroll box       QScrollArea                    see MSaveIniScrolling.h             widget
//  page control     QTabWidget                     ->TabIndex (kept when out of range) pages
//  list box         QListWidget                    see MSaveIniLists.h                 end
//  memo             QPlainTextEdit                 see MSaveIniScrolling.h             end
//  check box        QCheckBox                      ->Checked                           end
//  radio button     QRadioButton                   ->Checked                           end
//  speed/tool button QToolButton, or any other     ->Down (checked)                    end
//                   checkable QAbstractButton
//  directory list   an item view over a            ->Directory: the folder it lists    end
//                   QFileSystemModel               (its root index); a load sets one
//                                                  that exists
//  hot key          QKeySequenceEdit               ->HotKey: the first key with its    end
//                                                  modifiers, Qt's combined key code
//
// "end": the walk does not go into the control, whose children are Qt's own parts. The other
// rows go on with the controls the container holds (MSaveIniContent.h).

#include "MSaveIniBinder.h"

#include <QObjectList>

class QObject;

namespace saveini {

struct TClassRow {
    const char* kind;
    bool (*Matches)(const QObject* component);
    void (*Bind)(QObject* component, const MSaveIniBinder& keys);
    QObjectList (*Content)(QObject* component);  // null: the walk ends at the control
};

// The first row the component matches; null for anything else.
[[nodiscard]] const TClassRow* FindClassRow(const QObject* component);

}  // namespace saveini

#endif
