#include "script/text_file.h"

#include "lists/text_box.h"
#include "script/cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <system_error>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

Outcome read_failure(const QString& path, const QString& reason)
{
    return Outcome::failure(
        u"Could not read \"%1\": %2"_s.arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

FileBytes read_file_bytes(const QString& path)
{
    FileBytes result;
    // Qt refuses to open a directory on some platforms and happily opens it
    // on others; ask first so the message is the same everywhere.
    if (QFileInfo(path).isDir()) {
        result.outcome = read_failure(
            path,
            QString::fromStdString(std::make_error_code(std::errc::is_a_directory).message()));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.outcome = read_failure(path, file.errorString());
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.outcome = read_failure(path, file.errorString());
    }
    return result;
}

TextEncoding encode_for_file(const TextBox& box, const QString& path, const QString& what)
{
    TextEncoding result;
    Cp1252Encoding encoded = box.encoded();
    if (!encoded.ok()) {
        // The text is only built to describe the character that has no byte.
        result.outcome = Outcome::failure(
            u"Could not write \"%1\": %2 has %3, which has no Windows-1252 byte"_s.arg(
                QDir::toNativeSeparators(path), what,
                describe_character_at(box.text(), encoded.badIndex)));
        return result;
    }
    result.bytes = std::move(encoded.bytes);
    return result;
}

} // namespace scp
