#include "file_reading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <system_error>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

Outcome readFailure(const QString& path, const QString& reason)
{
    return Outcome::failure(
        u"Could not read \"%1\": %2"_s.arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

FileBytes readFileBytes(const QString& path)
{
    FileBytes result;
    // Qt refuses to open a directory on some platforms and happily opens it
    // on others; ask first so the message is the same everywhere.
    if (QFileInfo(path).isDir()) {
        result.outcome = readFailure(
            path,
            QString::fromStdString(std::make_error_code(std::errc::is_a_directory).message()));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.outcome = readFailure(path, file.errorString());
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.outcome = readFailure(path, file.errorString());
    }
    return result;
}

} // namespace scp
