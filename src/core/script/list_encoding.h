#pragma once

// The lists as the bytes their files and the script hold.

#include "files/outcome.h"
#include "script/entry_lists.h"
#include "text/cp1252.h"

#include <array>

namespace scp {

// The three lists' bytes, encoded side by side on the application's pool of
// threads; each list is read, never changed, and stays as it is until all
// are done.
std::array<Cp1252Encoding, 3> encodeLists(const EntryLists& lists);

// "the gumps list"
QString describedList(ListId list);

// A character with no Windows-1252 byte stops a write; the message names the
// file, what holds the character (`what`), the character and where it is.
Outcome unencodable(const QString& path, const QString& what, const TextBox& box,
                    qsizetype badIndex);

} // namespace scp
