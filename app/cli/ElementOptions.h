#ifndef PELMORA_APP_CLI_ELEMENTOPTIONS_H
#define PELMORA_APP_CLI_ELEMENTOPTIONS_H

// The elements of the symbols on the command line: --map SYMBOL=ELEMENT[,...] chooses elements
// before the lookup's rules, --info lists every symbol with its element, rule and atoms, and a
// run tells on standard error which symbols were given an element by atomic number or label.

#include <ostream>
#include <string>
#include <vector>

#include <QString>

#include "ExportOptions.h"
#include "ScenePipeline.h"

class QCommandLineParser;

void AddElementOptions(QCommandLineParser& parser);

// Reads --map into options; returns what is wrong with it, or an empty text.
QString ReadElementOptions(const QCommandLineParser& parser, ExportOptions& options);

// Hands the chosen elements to the pipeline, whose element table is loaded. False, after
// telling why, when the map names an element the table lacks.
bool ChooseElements(const ExportOptions& options, ScenePipeline& pipeline, std::ostream& err);

// Tells on err which symbols were guessed by atomic number or label, one line, nothing when none.
void TellGuessedElements(const ScenePipeline& pipeline, std::ostream& err);

// The symbols of the frame read, as the JSON array --info prints:
// [{"symbol":"1","element":"H","rule":"atomic number","atoms":3},...].
std::string SymbolsJson(const ScenePipeline& pipeline);

#endif
