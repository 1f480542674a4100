#ifndef PELMORA_APP_CLI_FRAMESELECTION_H
#define PELMORA_APP_CLI_FRAMESELECTION_H

// Which frames of a trajectory a run draws (--frame) and which share of them this copy of the
// command takes (--shard), so that N copies of one command split the work among themselves
// without talking to each other.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QString>

// --frame K, A-B, A-B:S (every S-th from A), all or all:S; frames count from 1.
struct FrameSelection {
    int first = 1;
    int last = 1;        // ignored when toEnd
    int step = 1;
    bool toEnd = false;  // "all": to the last frame of the file
    bool single = true;  // "K": one frame, written to OUT as it is named

    // The frames of a file of frameCount frames, in order; an error text when the selection
    // reaches past its end.
    std::variant<std::vector<int>, std::string> FramesOf(int frameCount) const;
};

// Reads the value of --frame; an error text when it is malformed.
std::variant<FrameSelection, std::string> ParseFrameSelection(const QString& text);

// --shard K/N: this copy keeps the items whose position in the whole selection is K modulo N.
struct Shard {
    int index = 0;
    int count = 1;

    bool Keeps(std::size_t position) const { return position % static_cast<std::size_t>(count) == std::size_t(index); }
};

// Reads the value of --shard; an error text when it is malformed or K is not below N.
std::variant<Shard, std::string> ParseShard(const QString& text);

#endif
