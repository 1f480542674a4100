#ifndef PELMORA_APP_CLI_INPUTOPENING_H
#define PELMORA_APP_CLI_INPUTOPENING_H

// The element table and the XYZ files of a run read as the window reads them at start and on
// opening, with the window's messages for what it rejects.

#include <optional>
#include <ostream>

#include <QString>

#include "ExportOptions.h"
#include "ScenePipeline.h"

// The element table, read once as the window reads it at start. A table the window would
// complain about stops the run: it would draw with a part of it. False after the message.
bool LoadElementTable(const QString& fileName, ScenePipeline& pipeline, std::ostream& err);

// Opens the XYZ file: reads its text and indexes its frames. Returns the reader's result, or
// nothing when the file could not be read at all (the window then keeps its old scene).
std::optional<XyzReadResult> OpenXyzFile(const QString& fileName, ScenePipeline& pipeline, std::ostream& err);

// The cell of the Translate panel: the steps the command line gave, the others from the file's
// cell when it declares one, as the window fills its edits when it opens the file.
TranslationCell CellOf(const ExportOptions& options, const std::optional<XyzPlaneLattice>& lattice);

#endif
