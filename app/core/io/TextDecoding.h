#ifndef PELMORA_APP_CORE_IO_TEXTDECODING_H
#define PELMORA_APP_CORE_IO_TEXTDECODING_H

// How the bytes of a text file become UTF-8 text and lines. A byte-order mark selects UTF-8,
// UTF-16 LE or UTF-16 BE; without one the bytes are taken as UTF-8 when they are valid UTF-8
// and as Windows-1252 otherwise. A line ends at CR LF, at LF or at CR; a line end after the last
// line adds no empty line; an empty text has no lines.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class TextEncoding { Utf8, Utf8WithMark, Utf16LE, Utf16BE, Windows1252 };

TextEncoding DetectTextEncoding(std::span<const std::uint8_t> bytes);
// The encoding a byte-order mark at the start of bytes selects; nothing without one.
std::optional<TextEncoding> EncodingOfMark(std::span<const std::uint8_t> bytes);
std::string DecodeToUtf8(std::span<const std::uint8_t> bytes, TextEncoding encoding);
bool IsValidUtf8(std::span<const std::uint8_t> bytes);
// Splits decoded text at CR LF, LF and CR; a final line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

#endif
