#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MINITEXT_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MINITEXT_H

// The text of a settings file. Files are written as UTF-8 without a byte-order mark; a file
// edited by hand or written by another program may be in UTF-16 or an 8-bit code page.
// Reading: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE; without one the bytes are
// UTF-8 when they are valid UTF-8 and Windows-1252 otherwise.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Decodes the bytes of a settings file as described above. Never fails: undecodable sequences
// after a byte-order mark become U+FFFD.
[[nodiscard]] QString DecodeIniText(QByteArrayView bytes);

// The bytes a settings file is written as: UTF-8, no byte-order mark.
[[nodiscard]] QByteArray EncodeIniText(const QString& text);

#endif
