#pragma once

// A file's path in the working folder, as the file layer is given it.

#include <QDir>
#include <QString>

namespace scp {

// `fileName` in `folder`, absolute, with the system's separators.
QString pathInFolder(const QDir& folder, const QString& fileName);

} // namespace scp
