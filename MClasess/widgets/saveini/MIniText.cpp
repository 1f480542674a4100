#include "MIniText.h"

#include <QStringDecoder>

#include <array>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; its five unassigned bytes map to the
// C1 control characters of the same value, as the system's own converter does.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(Windows1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

bool StartsWith(QByteArrayView bytes, std::initializer_list<unsigned char> mark)
{
    if (bytes.size() < static_cast<qsizetype>(mark.size()))
        return false;
    qsizetype i = 0;
    for (const unsigned char byte : mark)
        if (static_cast<unsigned char>(bytes[i++]) != byte)
            return false;
    return true;
}

QString Decode(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    // Stateless, so that a sequence cut at the end of the file counts as an error too.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

}  // namespace

QString DecodeIniText(QByteArrayView bytes)
{
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return Decode(bytes.sliced(3), QStringConverter::Utf8);
    if (StartsWith(bytes, {0xFF, 0xFE}))
        return Decode(bytes.sliced(2), QStringConverter::Utf16LE);
    if (StartsWith(bytes, {0xFE, 0xFF}))
        return Decode(bytes.sliced(2), QStringConverter::Utf16BE);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? DecodeWindows1252(bytes) : text;
}

QByteArray EncodeIniText(const QString& text) { return text.toUtf8(); }
