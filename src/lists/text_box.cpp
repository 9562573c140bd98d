#include "lists/text_box.h"

#include "script/file_transaction.h"
#include "script/text_file.h"

namespace scp {

Outcome TextBox::loadFile(const QString& path)
{
    const FileBytes read = read_file_bytes(path);
    if (read.outcome)
        setFileContent(read.bytes);
    return read.outcome;
}

Outcome TextBox::saveFile(const QString& path, const QString& what) const
{
    const TextEncoding encoded = encode_for_file(*this, path, what);
    if (!encoded.outcome)
        return encoded.outcome;
    return write_file_atomically(path, encoded.bytes);
}

} // namespace scp
