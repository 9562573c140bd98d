#pragma once

// Names Windows would refuse or take for something else.

#include <QString>

namespace scp {

// Why Windows would not take `path` as the name it is, or empty when it
// would. Windows drops a trailing dot or space from a name ("patch." is
// "patch"), opens a device for a name such as CON or NUL.txt in any
// folder, reads "a:b" as a stream of "a", and takes no longer path than
// MAX_PATH without the "\\?\" prefix, which turns all of that off. Each of
// these would be another file than the one named, or an error that names
// none: the file layer refuses such a path on Windows with this reason.
// Checked as given, relative or absolute, with either separator.
QString windowsNameProblem(const QString& path);

// The same on Windows; empty elsewhere, where these names are plain names.
QString refusedName(const QString& path);

} // namespace scp
