#ifndef PELMORA_APP_WINDOW_FILEDIALOGPLACES_H
#define PELMORA_APP_WINDOW_FILEDIALOGPLACES_H

// Where the file dialogs start and what name the save dialogs suggest.

#include <QString>

// The folder that holds fileName; empty for an empty name.
[[nodiscard]] QString FolderOfFile(const QString& fileName);

// The name a save dialog suggests: in folder (or the open file's folder when folder is empty),
// the open file's name with the extension given (without its dot). Without an open file, the
// folder alone.
[[nodiscard]] QString SuggestedSaveName(const QString& openFile, const QString& folder, const QString& extension);

#endif
