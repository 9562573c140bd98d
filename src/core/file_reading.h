#pragma once

#include "outcome.h"

#include <QByteArray>
#include <QString>

namespace scp {

struct FileBytes {
    QByteArray bytes;
    Outcome outcome;
};
// Reads a whole file as it is. Failure: Could not read "<path>": <reason>
FileBytes readFileBytes(const QString& path);

} // namespace scp
