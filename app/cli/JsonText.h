#ifndef PELMORA_APP_CLI_JSONTEXT_H
#define PELMORA_APP_CLI_JSONTEXT_H

// The JSON that --info prints: names as strings safe to show on a terminal, numbers as the SVG
// drawing writes them, and the one object told for each frame drawn.

#include <cstdint>
#include <string>

#include <QString>

#include "ScenePipeline.h"

// A name as a JSON string. Nothing in it reaches a terminal unescaped; a byte that is not
// UTF-8 appears as the escape of its stand-in ("\udcff", see MFileName.h), which a reader
// that keeps lone surrogates turns back into the same bytes.
std::string JsonString(const QString& text);

// A number as the SVG drawing writes it; null when it is not finite.
std::string JsonNumber(float value);

// What was read from xyzFile and built for one frame of frames, as one object on a line of its
// own (newline included). symbolsJson: the array of the frame's symbols (ElementOptions.h), and
// how many atoms of symbols beyond its bound it leaves out (told only when there are any).
std::string InfoObject(const QString& xyzFile, int atomsRead, const Scene& scene, const StickFactors& factors,
                       int frame, int frames, const std::string& symbolsJson = "[]",
                       std::int64_t symbolAtomsNotListed = 0);

#endif
