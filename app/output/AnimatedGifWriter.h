#ifndef PELMORA_APP_OUTPUT_ANIMATEDGIFWRITER_H
#define PELMORA_APP_OUTPUT_ANIMATEDGIFWRITER_H

// An animated GIF (GIF89a): a logical screen of the movie's size without a global palette, a
// looping extension (NETSCAPE2.0, loop for ever), then per frame a graphic control extension
// (delay in hundredths of a second, no transparency, the frame kept under the next) and the
// whole frame with a palette of its own, the frame's colours kept exactly when there are at most
// 256 of them (every scene picture) and reduced by median cut otherwise (IndexPictureColours).
// GIF delays are whole hundredths: a rate that does not divide 100 is rounded to the nearest.

#include <memory>
#include <string>

#include <QSize>

#include "MovieWriter.h"

std::unique_ptr<MovieWriter> OpenAnimatedGif(const std::string& fileName, QSize size, int framesPerSecond,
                                             std::string& reason);

#endif
