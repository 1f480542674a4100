#ifndef PELMORA_TESTS_APP_CORE_ELEMENTFIXTURE_H
#define PELMORA_TESTS_APP_CORE_ELEMENTFIXTURE_H

// The small element table for the tests above the reading of files (the pipeline's, the command
// line's): its lines, to load as the program loads a table, and its records and indexes.

#include "io/SmallElementLines.h"
#include "model/SmallElements.h"

#endif
