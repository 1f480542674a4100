#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINI_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINI_H

// MSaveIni: window-state persistence. A window's bounds and state, and the state of every named
// control it owns, are saved to a settings file when it closes and put back when it is made,
// without a list of controls: the walk goes through Qt's object tree (MSaveIniComponent.h) and
// a table by class decides what each control stores (MSaveIniClassTable.h).
//
// Sections: a form's or frame's values go to a section named after it, the section passed in,
// "->", its name ("FormMain", "FormMain->FrameBmp1"); every other control's to the section of
// the nearest form or frame above it. Keys: the control's name and a property path
// ("EditAx->Text"). Tags: SaveIniTagSkip (-105) leaves a component and all it owns out of save
// and load; any other nonzero tag is stored as "->Tag".
//
// Order for a form: tag, the begin code (SaveIniSaveBegins / SaveIniLoadBegins), window state
// and bounds (MSaveIniWindow.h), the controls it owns, the end code. A frame gets its begin code
// after its tag, just before its controls. Setting a control's value fires its change signals
// as usual.
//
// Failures are posted through the trace channel as "Unknown error" with the name of the
// routine that met them, and the routine returns false.

#include "MFileSave.h"
#include "MSaveIniComponent.h"
#include "MSaveIniFileName.h"

#include <QString>

#include <span>

class MIniFile;
class QObject;

// Saves each owner with all it owns into the settings file of the code (SaveIniFileName),
// keeping what the file holds for other windows. The file is written even when a walk fails,
// and replaces the old one only once completely written. False when an owner is null, a walk
// fails or throws, or the file cannot be read or written (the old file is then kept).
[[nodiscard]] bool SaveToFileIni(std::span<QObject* const> owners, const QString& fileNameCode,
                                 const QString& sectionPrefix);
[[nodiscard]] bool SaveToFileIni(QObject* owner, const QString& fileNameCode, const QString& sectionPrefix = {});
// The same, with the reason when it returns false, for the user: the file's, naming it
// ("Cannot write file \"…/pelmora.ini\". No space left on device", "Cannot read file …",
// "Cannot create folder …"), or "Unknown error" when an owner is null or a walk fails or throws.
[[nodiscard]] MFileSaveResult SaveToFileIniWithReason(std::span<QObject* const> owners, const QString& fileNameCode,
                                                      const QString& sectionPrefix);
[[nodiscard]] MFileSaveResult SaveToFileIniWithReason(QObject* owner, const QString& fileNameCode,
                                                      const QString& sectionPrefix = {});

// Restores each owner with all it owns. False, with nothing changed, when the file does not
// exist; false also when it cannot be read or a walk fails or throws.
[[nodiscard]] bool LoadFromFileIni(std::span<QObject* const> owners, const QString& fileNameCode,
                                   const QString& sectionPrefix);
[[nodiscard]] bool LoadFromFileIni(QObject* owner, const QString& fileNameCode, const QString& sectionPrefix = {});

// The walk over one component and all it owns, in an open ini, below the given section.
// False for a null component or ini, or when a component below fails.
[[nodiscard]] bool ForSaveToFileIni(QObject* component, MIniFile* ini, const QString& section);
[[nodiscard]] bool ForLoadFromFileIni(QObject* component, MIniFile* ini, const QString& section);

#endif
