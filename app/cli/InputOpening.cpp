#include "InputOpening.h"

#include "LocalFileName.h"
#include "MFunction.h"
#include "RunMessages.h"
#include "TextBuffer.h"

// The element table, read once as the window reads it at start. A table the window would
// complain about stops the export: it would draw with a part of it.
bool LoadElementTable(const QString& fileName, ScenePipeline& pipeline, std::ostream& err)
{
    try {
        const ElementTableResult result = pipeline.LoadElementTableFile(LocalFileName(fileName));
        if (!result.complete) {
            Report(err, result.message);
            return false;
        }
        return true;
    } catch (const TextFileError& error) {
        Report(err, error.what());
    } catch (const MConvertError& error) {
        Report(err, error.what());
    }
    return false;
}

// Opens the XYZ file: reads its text and indexes its frames. Returns the reader's result, or
// nothing when the file could not be read at all (the window then keeps its old scene).
std::optional<XyzReadResult> OpenXyzFile(const QString& fileName, ScenePipeline& pipeline, std::ostream& err)
{
    try {
        return pipeline.OpenFile(LocalFileName(fileName));
    } catch (const TextFileError& error) {
        Report(err, error.what());
    } catch (const MConvertError& error) {
        Report(err, error.what());
    } catch (const XyzIndexError& error) {
        Report(err, error.what());
    }
    return std::nullopt;
}

// The cell of the Translate panel: the steps the command line gave, the others from the file's
// cell when it declares one, as the window fills its edits when it opens the file.
TranslationCell CellOf(const ExportOptions& options, const std::optional<XyzPlaneLattice>& lattice)
{
    TranslationCell cell = options.Cell;
    if (lattice) {
        cell.Ax = options.StepsGiven.Ax ? cell.Ax : lattice->Ax;
        cell.Ay = options.StepsGiven.Ay ? cell.Ay : lattice->Ay;
        cell.Dx = options.StepsGiven.Dx ? cell.Dx : lattice->Dx;
        cell.Dy = options.StepsGiven.Dy ? cell.Dy : lattice->Dy;
    }
    return cell;
}
