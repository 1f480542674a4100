#ifndef PELMORA_APP_CLI_BATCHCOMMANDLINE_H
#define PELMORA_APP_CLI_BATCHCOMMANDLINE_H

// The options of runs over many frames and files (BatchOptions.h) on the command line:
// --frame, --shard, --size and --fps.

#include <QCommandLineParser>
#include <QString>

#include "BatchOptions.h"

void AddBatchOptions(QCommandLineParser& parser);

// Sets what was given; returns what is wrong with one of the values, or an empty text.
QString ReadBatchOptions(const QCommandLineParser& parser, BatchOptions& options);

#endif
