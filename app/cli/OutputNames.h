#ifndef PELMORA_APP_CLI_OUTPUTNAMES_H
#define PELMORA_APP_CLI_OUTPUTNAMES_H

// The names a run writes to: OUT as given, with {name} (the input's name without its folder
// and extension) and {frame} (the frame number, at least four digits) filled in, and the frame
// number added before the extension when several frames go to files of their own.

#include <QString>

// OUT with a dash and the frame number of at least four digits before the extension of its last
// component ("out.png", 7 -> "out-0007.png"), or at its end.
QString FrameOutFile(const QString& outFile, int frame);

// The input's name without its folder and without the extension after its last dot
// ("dir/water.xyz" -> "water", "a.b.xyz" -> "a.b", ".xyz" -> ".xyz").
QString InputBaseName(const QString& xyzFile);

// Where frame of xyzFile goes: {name} and {frame} filled in; when numbered (one file per frame)
// and OUT has no {frame}, the frame number before the extension (FrameOutFile).
QString OutFileFor(const QString& outPattern, const QString& xyzFile, int frame, bool numbered);

#endif
