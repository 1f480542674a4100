#include "TextBuffer.h"

#include <algorithm>

#include "MFileSave.h"
#include "TextFile.h"

void TextBuffer::LoadFromBytes(std::span<const std::uint8_t> bytes)
{
    const TextEncoding encoding = DetectTextEncoding(bytes);
    lines_ = SplitLines(DecodeToUtf8(bytes, encoding));
    encoding_ = encoding;
}

void TextBuffer::LoadFromFile(const std::string& fileName, std::size_t largestSize)
{
    const std::string bytes = ReadRegularFile(fileName, largestSize);
    LoadFromBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::string TextBuffer::ToBytes() const
{
    std::size_t size = 0;
    for (const std::string& line : lines_)
        size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& line : lines_) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

void TextBuffer::SaveToFile(const std::string& fileName) const
{
    const MFileSaveResult saved = SaveFileAtomically(fileName, ToBytes());
    if (!saved.saved)
        throw TextFileError(saved.reason);
}
