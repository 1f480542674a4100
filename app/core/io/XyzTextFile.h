#ifndef PELMORA_APP_CORE_XYZTEXTFILE_H
#define PELMORA_APP_CORE_XYZTEXTFILE_H

// An XYZ file's text as it is opened. The first line of an XYZ file is its atom count, and the
// indexer refuses a file whose first line does not convert whatever follows: such a file is not
// read beyond that line, so a file of gigabytes that is something else entirely (an image, a
// file of zeros, a book) costs neither the time nor the memory of reading it.

#include <string>

#include "TextFile.h"

// Whether a file's first line could be an atom count line: a line that converts as the indexer
// converts it (StrToInt), or, when the line is cut, the start of one.
bool CouldBeCountLine(const TextFirstLine& line);

// The file's text as LoadTextFile gives it; for a file whose first line could not be an atom
// count line, that line alone (its first part when it is cut), which the indexer refuses with
// the message it gives for the whole file. Throws TextFileError as LoadTextFile does.
// A compressed file is read unpacked (LoadTextFileIfFirstLineFits), at most largestUnpackedSize
// bytes of it.
std::string LoadXyzTextFile(const std::string& fileName, std::size_t largestUnpackedSize = UnpackedSizeLimit);

#endif
