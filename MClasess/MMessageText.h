#ifndef PELMORA_MCLASESS_MMESSAGETEXT_H
#define PELMORA_MCLASESS_MMESSAGETEXT_H

// Text from a file or a command line shown inside a message for people. Such text may hold
// anything: escape sequences that would retitle or clear the terminal, bytes that are not
// UTF-8, or a whole file on one line. Every message that quotes it goes through here, so the
// terminal and the window's message boxes show the same safe text.
//
// Escapes (characters are counted as UTF-8 code points; a byte that is not part of valid
// UTF-8 counts as one character):
// - the C0 control characters U+0000..U+001F (tab, CR and LF included) and DEL: "\x" and two
//   lower-case hex digits of the code, e.g. ESC -> "\x1b", BEL -> "\x07", tab -> "\x09";
// - a byte that is not valid UTF-8: "\x" and its two hex digits, e.g. "\xff" (never below
//   "\x80", so it is not confused with a control character);
// - the C1 control characters U+0080..U+009F and the invisible characters that reorder or
//   break a line (U+200E, U+200F, U+2028, U+2029, U+202A..U+202E, U+2066..U+2069): "\u" and
//   four hex digits, e.g. "\u009b", "\u202e";
// - the backslash itself: "\\", so an escape in the message always stands for one character.
// Every other character is kept as it is.

#include <cstddef>
#include <string>
#include <string_view>

// How many characters of an offending text a message quotes.
inline constexpr std::size_t MessageExcerptLength = 80;

// The whole text with the escapes above; for file names, which are shown in full.
std::string EscapedForMessage(std::string_view text);

// The first MessageExcerptLength characters of the text with the escapes above, followed by
// "..." when the text is longer; for the content of files and edits.
std::string MessageExcerpt(std::string_view text);

#endif
