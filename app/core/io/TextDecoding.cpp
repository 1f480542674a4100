#include "TextDecoding.h"

#include <array>
#include <cstring>

#include "MUtf8.h"

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; its five unassigned bytes map to the
// C1 control characters of the same value, as the system's own converter does.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string_view AsText(std::span<const std::uint8_t> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Copies UTF-8, replacing every invalid sequence by U+FFFD.
std::string SanitizeUtf8(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size());
    const std::string_view text = AsText(bytes);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            AppendUtf8(out, ReplacementCharacter);
            ++i;
            continue;
        }
        out.append(reinterpret_cast<const char*>(bytes.data() + i), length);
        i += length;
    }
    return out;
}

std::string DecodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian)
{
    auto unitAt = [&](std::size_t i) -> char16_t {
        return bigEndian ? static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1])
                         : static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    };
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        const char16_t unit = unitAt(i);
        i += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < bytes.size()) {
            const char16_t next = unitAt(i);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                i += 2;
                AppendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (next - 0xDC00));
                continue;
            }
        }
        AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? ReplacementCharacter : char32_t(unit));
    }
    if (i < bytes.size())
        AppendUtf8(out, ReplacementCharacter);  // a lone final byte
    return out;
}

std::string DecodeWindows1252(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const std::uint8_t byte : bytes) {
        if (byte >= 0x80 && byte <= 0x9F)
            AppendUtf8(out, Windows1252High[byte - 0x80]);
        else
            AppendUtf8(out, byte);
    }
    return out;
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> mark)
{
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

}  // namespace

bool IsValidUtf8(std::span<const std::uint8_t> bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        // ASCII runs are the common case of coordinate files; step over them eight at a time.
        while (i + 8 <= bytes.size()) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if (word & 0x8080808080808080ull)
                break;
            i += 8;
        }
        if (i >= bytes.size())
            break;
        const std::size_t length = Utf8SequenceLength(AsText(bytes), i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::optional<TextEncoding> EncodingOfMark(std::span<const std::uint8_t> bytes)
{
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return TextEncoding::Utf8WithMark;
    if (StartsWith(bytes, {0xFF, 0xFE}))
        return TextEncoding::Utf16LE;
    if (StartsWith(bytes, {0xFE, 0xFF}))
        return TextEncoding::Utf16BE;
    return std::nullopt;
}

TextEncoding DetectTextEncoding(std::span<const std::uint8_t> bytes)
{
    if (const std::optional<TextEncoding> marked = EncodingOfMark(bytes))
        return *marked;
    return IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

std::string DecodeToUtf8(std::span<const std::uint8_t> bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    case TextEncoding::Utf8WithMark:
        return SanitizeUtf8(bytes.subspan(3));
    case TextEncoding::Utf16LE:
        return DecodeUtf16(bytes.subspan(2), false);
    case TextEncoding::Utf16BE:
        return DecodeUtf16(bytes.subspan(2), true);
    case TextEncoding::Windows1252:
        return DecodeWindows1252(bytes);
    }
    return {};
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}
