#ifndef PELMORA_APP_CLI_CONTROLOPTIONS_H
#define PELMORA_APP_CLI_CONTROLOPTIONS_H

// The options that stand for the window's controls: each one's name, range, default, help line
// and the field of ExportOptions it sets. The command line (CommandLine.cpp) adds them to its
// parser and reads them in the order of these tables.

#include <span>

#include "ExportOptions.h"

// An option standing for a scroll bar or a spin edit: a whole number within the control's range.
struct WholeNumberOption {
    const char* name;
    const char* valueName;
    int minimum;
    int maximum;
    int defaultValue;
    const char* description;
    void (*set)(ExportOptions&, int);
};

// An option standing for one of the Translate panel's edits, read as the window reads them.
struct DecimalOption {
    const char* name;
    const char* description;
    void (*set)(ExportOptions&, double);
};

// The bars of the Atoms and View panels, then the Translate panel's two spin edits.
std::span<const WholeNumberOption> WholeNumberOptions();
// The Translate panel's four edits.
std::span<const DecimalOption> DecimalOptions();

#endif
