#pragma once

#include "lists/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace scp {

class TextBox;

struct FileBytes {
    QByteArray bytes;
    Outcome outcome;
};
// Reads a whole file as it is. Failure: Could not read "<path>": <reason>
FileBytes read_file_bytes(const QString& path);

struct TextEncoding {
    QByteArray bytes;
    Outcome outcome;
};
// Encodes a box's whole content for a file, one byte a character, without
// going through its text where the box already holds bytes. A character with
// no Windows-1252 byte fails with a message naming the file, `what` holds it,
// the character and its line and column.
TextEncoding encode_for_file(const TextBox& box, const QString& path, const QString& what);

} // namespace scp
