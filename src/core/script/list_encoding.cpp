// Encoding the three lists at once, and saying which character stopped it.

#include "script/list_encoding.h"

#include <QDir>
#include <QSemaphore>
#include <QThreadPool>

using namespace Qt::StringLiterals;

namespace scp {

std::array<Cp1252Encoding, 3> encodeLists(const EntryLists& lists)
{
    // This thread takes the gumps.
    std::array<Cp1252Encoding, 3> encoded;
    QSemaphore done;
    for (ListId list : {ListId::Tiles, ListId::Items}) {
        const auto encode = [&encoded, &lists, &done, list] {
            encoded[static_cast<size_t>(list)] = lists.box(list).encoded();
            done.release();
        };
        // With no thread free, here.
        if (!QThreadPool::globalInstance()->tryStart(encode))
            encode();
    }
    encoded[static_cast<size_t>(ListId::Gumps)] = lists.box(ListId::Gumps).encoded();
    done.acquire(2);
    return encoded;
}

QString describedList(ListId list)
{
    return u"the %1 list"_s.arg(listName(list));
}

Outcome unencodable(const QString& path, const QString& what, const TextBox& box,
                    qsizetype badIndex)
{
    // The text is only built to describe the character that has no byte.
    return Outcome::failure(
        u"Could not write \"%1\": %2 has %3, which has no Windows-1252 byte"_s.arg(
            QDir::toNativeSeparators(path), what, describeCharacterAt(box.text(), badIndex)));
}

} // namespace scp
