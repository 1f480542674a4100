#ifndef PELMORA_APP_CLI_EXPORTOPTIONS_H
#define PELMORA_APP_CLI_EXPORTOPTIONS_H

#include <QString>

#include "BatchOptions.h"
#include "ElementMap.h"
#include "PeriodicTranslation.h"
#include "Projection.h"
#include "Scene.h"

// What a run without a window draws and writes: the file, the output, and the controls the
// options stand for, starting at the values the window's controls start at.
struct ExportOptions {
    QString XyzFile;
    QString OutFile;  // empty: nothing is written
    bool Info = false;
    QString ElementFile;
    StickControls Sticks;
    int StickRadiusPosition = StickRadiusBarMaximum / 2;
    ViewAngles Angles;
    TranslationCell Cell;
    // The steps of the cell the command line gave; the others come from the cell the file
    // declares (Lattice=), as the window's Translate panel takes it, when it declares one.
    struct {
        bool Ax = false, Ay = false, Dx = false, Dy = false;
    } StepsGiven;
    BatchOptions Batch;  // the frames, files and sizes of runs over many of them
    ElementMap ElementChoices;  // --map: the elements of symbols, before the lookup's rules
};

#endif
