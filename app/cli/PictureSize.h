#ifndef PELMORA_APP_CLI_PICTURESIZE_H
#define PELMORA_APP_CLI_PICTURESIZE_H

// --size W or WxH: the size of every picture a run writes. The scene is drawn at its own size
// and reduced to this one (PictureScaling.h).

#include <string>
#include <variant>

#include <QString>

struct PictureSize {
    int width = 0;  // 0: the scene bitmap's own size
    int height = 0;

    bool IsSet() const { return width > 0; }
};

// The largest side --size takes: the scene bitmap's side, since pictures are only ever reduced.
inline constexpr int MaxPictureSide = 3000;

// Reads the value of --size; an error text when it is malformed or out of 1..MaxPictureSide.
std::variant<PictureSize, std::string> ParsePictureSize(const QString& text);

#endif
