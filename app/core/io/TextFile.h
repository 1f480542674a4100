#ifndef PELMORA_APP_CORE_TEXTFILE_H
#define PELMORA_APP_CORE_TEXTFILE_H

// A text file read whole into one string, for files too large to hold as a string per line
// (trajectories of millions of lines). It reads and decodes exactly as the text buffer does.

#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "TextDecoding.h"

// A file that cannot be read or written. The message names the file (escaped as
// EscapedForMessage shows names) and says why.
class TextFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// No bound on the size of a file that is read.
inline constexpr std::size_t NoFileSizeLimit = std::numeric_limits<std::size_t>::max();

// The file's bytes as they are: regular files only (a device or a FIFO is refused before it is
// read or waited for). Throws TextFileError ("Cannot open file ...", "Cannot read file ..."),
// also for a file of more than largestSize bytes, which is refused without being read when its
// size says so.
std::string ReadRegularFile(const std::string& fileName, std::size_t largestSize = NoFileSizeLimit);

// The file's text as the text buffer reads it: regular files only (a device or a FIFO is
// refused before it is read or waited for), decoded to UTF-8 by its byte-order mark, taken as
// it is when it is valid UTF-8 and from Windows-1252 otherwise. Throws TextFileError with the
// text buffer's messages.
std::string LoadTextFile(const std::string& fileName);

// How many bytes of a file are read for its first line before the rest is read.
inline constexpr std::size_t FirstLineReadSize = std::size_t{1} << 16;

// The first line of a file's text, without its line end, decoded as the whole text is. A line
// that goes on beyond the first FirstLineReadSize bytes of the file is given cut there: then
// it holds at least FirstLineReadSize / 8 characters, and its last ones may be the parts of a
// character the cut split.
struct TextFirstLine {
    std::string_view text;
    bool cut = false;
};

// The most bytes a compressed file may unpack to.
inline constexpr std::size_t UnpackedSizeLimit = std::size_t{4} << 30;

// The text LoadTextFile gives, read only when the file's first line fits: the first line is
// read and decoded before anything else of the file (where the decoding of that line depends on
// whether the whole file is UTF-8, the rest is looked through for that without being kept) and
// passed to fits. Nothing is returned when it does not fit. A file without lines is read
// without asking. A file compressed with gzip, bzip2 or xz (Unpacker.h; known by its first
// bytes, whatever its name) gives the text of its unpacked bytes, streamed: more than
// largestUnpackedSize bytes are refused as they come ("It unpacks to more than 4 GiB"), as is
// damaged or cut packed data. Throws TextFileError as LoadTextFile does.
std::optional<std::string> LoadTextFileIfFirstLineFits(const std::string& fileName,
                                                       const std::function<bool(const TextFirstLine&)>& fits,
                                                       std::size_t largestUnpackedSize = UnpackedSizeLimit);

#endif
