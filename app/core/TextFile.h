#ifndef PELMORA_APP_CORE_TEXTFILE_H
#define PELMORA_APP_CORE_TEXTFILE_H

// A text file read whole into one string, for files too large to hold as a string per line
// (trajectories of millions of lines). It reads and decodes exactly as the text buffer does.

#include <string>

// The file's bytes as they are: regular files only (a device or a FIFO is refused before it is
// read or waited for). Throws TextFileError ("Cannot open file ...", "Cannot read file ...").
std::string ReadRegularFile(const std::string& fileName);

// The file's text as the text buffer reads it: regular files only (a device or a FIFO is
// refused before it is read or waited for), decoded to UTF-8 by its byte-order mark, taken as
// it is when it is valid UTF-8 and from Windows-1252 otherwise. Throws TextFileError with the
// text buffer's messages.
std::string LoadTextFile(const std::string& fileName);

#endif
