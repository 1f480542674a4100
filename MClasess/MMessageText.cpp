#include "MMessageText.h"

#include "MUtf8.h"

namespace {

constexpr char HexDigits[] = "0123456789abcdef";
constexpr std::string_view Ellipsis = "...";

void AppendHexEscape(std::string& out, unsigned char code)
{
    out += "\\x";
    out += HexDigits[code >> 4];
    out += HexDigits[code & 0xF];
}

void AppendUnicodeEscape(std::string& out, char32_t codePoint)
{
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += HexDigits[(codePoint >> shift) & 0xF];
}

// Characters a terminal acts on, or that make the text read differently from what it holds.
bool IsInvisibleControl(char32_t c)
{
    return (c >= 0x80 && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
}

// Appends up to maxCharacters characters of text; returns the byte offset where it stopped.
std::size_t AppendEscaped(std::string& out, std::string_view text, std::size_t maxCharacters)
{
    std::size_t at = 0;
    for (std::size_t characters = 0; at < text.size() && characters < maxCharacters; ++characters) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            AppendHexEscape(out, static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        const char32_t c = Utf8CodePoint(text, at, length);
        if (c < 0x20 || c == 0x7F)
            AppendHexEscape(out, static_cast<unsigned char>(c));
        else if (c == '\\')
            out += "\\\\";
        else if (IsInvisibleControl(c))
            AppendUnicodeEscape(out, c);
        else
            out.append(text.substr(at, length));
        at += length;
    }
    return at;
}

}  // namespace

std::string EscapedForMessage(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendEscaped(out, text, text.size());
    return out;
}

std::string MessageExcerpt(std::string_view text)
{
    std::string out;
    if (AppendEscaped(out, text, MessageExcerptLength) < text.size())
        out += Ellipsis;
    return out;
}
