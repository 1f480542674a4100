#ifndef PELMORA_APP_CLI_MOVIERUN_H
#define PELMORA_APP_CLI_MOVIERUN_H

// The frames of a trajectory into one movie: drawn on every core, one scene per thread, and
// encoded in their order as they come, with only a few frames drawn ahead of the encoder so
// that a movie of any length needs the memory of a few frames (MovieWriter.h).

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <QString>

#include "ExportOptions.h"
#include "FrameSelection.h"
#include "ProgressLine.h"
#include "XyzDocument.h"

// Whether OUT is one movie of the selected frames: .mp4 and .webm always, .gif when the selection
// is not a single frame and OUT does not name each frame ({frame}).
bool IsMovieOutput(const QString& outFile, const FrameSelection& frames);

// Draws frames of the document with the options' controls and cell and writes them into
// outFile, at --size (or the scene's size) and --fps. Messages and --info as for pictures, in
// frame order. A frame that failed is told and left out; the movie of the others is written
// all the same. Returns the worst ExitCode.
int ExportMovie(const ExportOptions& options, const TranslationCell& cell,
                const std::shared_ptr<const XyzDocument>& document, const std::vector<int>& frames,
                const std::vector<std::string>& elementLines, const QString& outFile, ProgressLine& progress,
                std::ostream& out, std::ostream& err);

#endif
