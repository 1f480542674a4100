#ifndef PELMORA_MCLASESS_MFILENAME_H
#define PELMORA_MCLASESS_MFILENAME_H

// File names in Qt strings without losing a byte.
//
// A Linux file name is any string of bytes; Qt decodes names and command-line arguments as
// UTF-8 and turns every byte that is not UTF-8 into U+FFFD, so "bad\xff.xyz" would come back as
// another name. Here valid UTF-8 is decoded the same way, and a byte that is not part of valid
// UTF-8 (0x80..0xFF) is held as the lone low surrogate U+DC80..U+DCFF (U+DC00 + byte), which
// decoded text never contains. FileNameToBytes gives the original bytes back. Pass such a
// string to nothing that encodes it on its own (QFile, QString::toUtf8): convert it here.

#include <string>
#include <string_view>

#include <QString>
#include <QStringList>

QString FileNameFromBytes(std::string_view bytes);

// The bytes of a name from FileNameFromBytes, or the UTF-8 of any other string. A lone
// surrogate outside U+DC80..U+DCFF has no byte to stand for and becomes U+FFFD.
std::string FileNameToBytes(const QString& name);

// The program's arguments, each through FileNameFromBytes (argv[0] first).
QStringList ArgumentsFromBytes(int argc, const char* const* argv);

#endif
