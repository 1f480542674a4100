#ifndef PELMORA_APP_CLI_BATCHOPTIONS_H
#define PELMORA_APP_CLI_BATCHOPTIONS_H

// The options of runs over many frames and files: which frames, which share of them, the size
// of the pictures and the rate of movies.

#include <QStringList>

#include "FrameSelection.h"
#include "PictureSize.h"

struct BatchOptions {
    QStringList XyzFiles;  // every FILE given, in order
    FrameSelection Frames;
    Shard Part;
    bool Sharded = false;  // --shard was given
    PictureSize Size;
    int FramesPerSecond = 10;  // of an animated GIF or a video
};

// The range of --fps.
inline constexpr int MinFramesPerSecond = 1;
inline constexpr int MaxFramesPerSecond = 100;

#endif
