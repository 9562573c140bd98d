#pragma once

// Windows-1252, the single-byte text of every file the program reads and
// writes: decoding, encoding, and naming a character that has no byte.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace scp {

// Script and section files are single-byte Windows-1252 text. Every byte
// stands for one character: the five bytes the code page leaves undefined
// (0x81 0x8D 0x8F 0x90 0x9D) stand for U+0081 .. U+009D, so any file decodes
// and encodes back to the same bytes. Our own table: no ICU needed.
QString decodeCp1252(QByteArrayView bytes);
// Writes bytes.size() characters to `out`.
void decodeCp1252To(QByteArrayView bytes, QChar* out);

struct Cp1252Encoding {
    QByteArray bytes;
    // Index in the text of the first character with no byte, or -1.
    qsizetype badIndex = -1;
    bool ok() const { return badIndex < 0; }
};
Cp1252Encoding encodeCp1252(QStringView text);
// Writes text.size() bytes to `out`; returns -1, or the index of the first
// character with no byte (the bytes before it are written, the rest not).
qsizetype encodeCp1252To(QStringView text, char* out);

// "\"ş\" (U+015F) at line 3, column 12": the character at `index` and where it
// stands, counted from 1, lines split at CR LF / LF.
QString describeCharacterAt(QStringView text, qsizetype index);

} // namespace scp
