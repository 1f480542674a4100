#ifndef PELMORA_APP_CORE_TEXTBUFFER_H
#define PELMORA_APP_CORE_TEXTBUFFER_H

// The text buffer every text file passes through: the element table and XYZ files are loaded
// into it whole, and the SVG document is assembled in it line by line and saved from it.
//
// Line rules: a line ends at CR LF, at LF or at CR; a line end after the last line adds no
// empty line; an empty file has no lines. Lines are held as UTF-8.
// Decoding: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE; without one the bytes are
// taken as UTF-8 when they are valid UTF-8 and as Windows-1252 otherwise.
// Saving writes every line followed by CR LF, as UTF-8 without a byte-order mark.

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A file that cannot be read or written. The message names the file (escaped as
// EscapedForMessage shows names) and says why.
class TextFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// No bound on the size of a file that is read.
inline constexpr std::size_t NoFileSizeLimit = std::numeric_limits<std::size_t>::max();

enum class TextEncoding { Utf8, Utf8WithMark, Utf16LE, Utf16BE, Windows1252 };

class TextBuffer {
public:
    // Replaces the content with the file's lines. Throws TextFileError when it cannot be read,
    // is not a regular file (a device or a FIFO is refused before it is read or waited for) or
    // holds more than largestSize bytes (refused without reading it when its size says so); the
    // content is then unchanged. The name is bytes, used as given.
    void LoadFromFile(const std::string& fileName, std::size_t largestSize = NoFileSizeLimit);
    // Replaces the content with the lines of the given bytes (decoded as described above).
    void LoadFromBytes(std::span<const std::uint8_t> bytes);
    // Writes every line followed by CR LF, replacing the file only when it is completely
    // written (SaveFileAtomically). Throws TextFileError with the reason; the old file is then
    // as it was.
    void SaveToFile(const std::string& fileName) const;
    // The bytes SaveToFile writes.
    std::string ToBytes() const;

    void Clear() { lines_.clear(); }
    // Replaces the content with these lines (UTF-8), taking them over without a copy.
    void SetLines(std::vector<std::string> lines) { lines_ = std::move(lines); }
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    std::size_t Count() const { return lines_.size(); }
    const std::string& operator[](std::size_t index) const { return lines_[index]; }
    const std::vector<std::string>& Lines() const { return lines_; }
    // How the last loaded file was encoded.
    TextEncoding Encoding() const { return encoding_; }

private:
    std::vector<std::string> lines_;
    TextEncoding encoding_ = TextEncoding::Utf8;
};

// Decoding steps, exposed for tests.
TextEncoding DetectTextEncoding(std::span<const std::uint8_t> bytes);
// The encoding a byte-order mark at the start of bytes selects; nothing without one.
std::optional<TextEncoding> EncodingOfMark(std::span<const std::uint8_t> bytes);
std::string DecodeToUtf8(std::span<const std::uint8_t> bytes, TextEncoding encoding);
bool IsValidUtf8(std::span<const std::uint8_t> bytes);
// Splits decoded text at CR LF, LF and CR; a final line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

#endif
