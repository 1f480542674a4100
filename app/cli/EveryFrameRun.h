#ifndef PELMORA_APP_CLI_EVERYFRAMERUN_H
#define PELMORA_APP_CLI_EVERYFRAMERUN_H

// --frame all: every frame of a trajectory drawn into a file of its own, on every core.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <QString>

#include "ExportOptions.h"
#include "ProgressLine.h"
#include "XyzDocument.h"

// Where --frame all writes a frame: OUT with a dash and the frame number of at least four digits
// before the extension of its last component ("out.png", 7 -> "out-0007.png"), or at its end.
QString FrameOutFile(const QString& outFile, int frame);

// Every frame of the document into its own FrameOutFile (none when OUT is empty, as for --info
// alone), one scene per core with the element table of elementLines (ForEachFrame). The
// messages and the JSON come out in frame order, as one scene would print them; a frame that
// failed (out of memory) is told by its number in its place, and the others are drawn all the
// same. Returns the worst ExitCode of the frames.
int ExportEveryFrame(const ExportOptions& options, const TranslationCell& cell,
                     const std::vector<std::string>& elementLines, const std::shared_ptr<const XyzDocument>& document,
                     ProgressLine& progress, std::ostream& out, std::ostream& err);

#endif
