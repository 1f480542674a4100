#ifndef PELMORA_APP_CORE_IO_SVGFILE_H
#define PELMORA_APP_CORE_IO_SVGFILE_H

// Saving the scene's SVG document: the text buffer writes its lines with CR LF line ends as UTF-8,
// replacing the file only when it is completely written.

#include <string>

#include "TextBuffer.h"

// The name SaveSvg writes to: ".svg" appended when the last path component has no dot; a name
// ending in a dot counts as having an extension.
std::string SvgFileName(const std::string& fileName);

// Saves the buffer to SvgFileName(fileName), replacing the file; returns that name.
// Throws TextFileError when the file cannot be written.
std::string SaveSvg(const TextBuffer& svg, const std::string& fileName);

#endif
