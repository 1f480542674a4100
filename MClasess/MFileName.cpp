#include "MFileName.h"

#include "MUtf8.h"

namespace {

constexpr char16_t EscapedByteBase = 0xDC00;
constexpr char16_t FirstEscapedByte = 0xDC80;
constexpr char16_t LastEscapedByte = 0xDCFF;
constexpr char32_t ReplacementCharacter = 0xFFFD;

}  // namespace

QString FileNameFromBytes(std::string_view bytes)
{
    QString name;
    name.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) {
            name.append(QChar(static_cast<char16_t>(EscapedByteBase + static_cast<unsigned char>(bytes[at]))));
            ++at;
            continue;
        }
        const char32_t codePoint = Utf8CodePoint(bytes, at, length);
        if (QChar::requiresSurrogates(codePoint)) {
            name.append(QChar(QChar::highSurrogate(codePoint)));
            name.append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            name.append(QChar(static_cast<char16_t>(codePoint)));
        }
        at += length;
    }
    return name;
}

std::string FileNameToBytes(const QString& name)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(name.size()));
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && QChar::isLowSurrogate(name[i + 1].unicode())) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, name[i + 1].unicode()));
            ++i;
        } else if (unit >= FirstEscapedByte && unit <= LastEscapedByte) {
            bytes.push_back(static_cast<char>(unit - EscapedByteBase));
        } else if (QChar::isSurrogate(unit)) {
            AppendUtf8(bytes, ReplacementCharacter);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QStringList ArgumentsFromBytes(int argc, const char* const* argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << FileNameFromBytes(argv[i]);
    return arguments;
}
