#ifndef PELMORA_APP_CLI_FRAMEEXPORT_H
#define PELMORA_APP_CLI_FRAMEEXPORT_H

// One frame of the open file drawn without a window: read, built with the options' controls and
// written, as the window shows that frame and saves it.

#include <optional>
#include <ostream>

#include <QString>

#include "ExportOptions.h"
#include "ScenePipeline.h"

// The cell of the Translate panel for a frame: cell, with the steps of the file's lattice (when it
// declares one) in place of those the command line did not give, as the window fills its edits
// from the file.
TranslationCell CellOfFile(const ExportOptions& options, const TranslationCell& cell,
                           const std::optional<XyzPlaneLattice>& lattice);

// Reads frame of the file open in pipeline, builds it with cell and the options' controls, prints
// its --info object to out when asked for, and writes it to outFile unless that is empty; as an
// export of a file of that one frame would. A frame whose comment declares its own cell is
// repeated with that cell (CellOfFile). Messages go to err (RunMessages.h). Returns an
// ExitCode: a failure when the frame was cut short, sticks or atoms could not be drawn, or
// outFile could not be written; what could be drawn is written all the same.
int ExportFrame(const ExportOptions& options, const TranslationCell& cell, ScenePipeline& pipeline, int frame,
                const QString& outFile, std::ostream& out, std::ostream& err);

#endif
