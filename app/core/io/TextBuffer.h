#ifndef PELMORA_APP_CORE_TEXTBUFFER_H
#define PELMORA_APP_CORE_TEXTBUFFER_H

// The text buffer every text file passes through: the element table and XYZ files are loaded
// into it whole, and the SVG document is assembled in it line by line and saved from it.
//
// Files are read (TextFile.h) and decoded into lines as TextDecoding.h says; lines are held as
// UTF-8. Saving writes every line followed by CR LF, as UTF-8 without a byte-order mark.

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "TextDecoding.h"
#include "TextFile.h"

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

#endif
