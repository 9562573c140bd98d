#pragma once

// Line ends: every lone CR or LF becomes CR LF.

#include <QByteArray>
#include <QString>

namespace scp {

// Every box yields CR LF line ends. A lone CR or a lone LF, read from a file
// or typed, becomes CR LF; every other character passes through unchanged.
// Returns the input itself (shared, no copy) when it needs no change, which
// is the common case for text that went through here before.
QString normalizeLineEnds(const QString& text);
// The same for single-byte file content.
QByteArray normalizeLineEnds(const QByteArray& bytes);

} // namespace scp
