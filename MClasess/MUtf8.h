#ifndef PELMORA_MCLASESS_MUTF8_H
#define PELMORA_MCLASESS_MUTF8_H

// Steps over UTF-8 text that may hold bytes which are not UTF-8 at all: file text before it is
// decoded, file names, and text quoted in messages.

#include <cstddef>
#include <string>
#include <string_view>

// Length of the valid UTF-8 sequence that starts at text[at]: 1 to 4, or 0 when the bytes
// there are not valid UTF-8 (a stray continuation byte, an overlong form, a surrogate, a code
// point above U+10FFFF, a sequence cut short). at must lie inside text.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// The code point of the valid sequence of the given length at text[at].
char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

#endif
