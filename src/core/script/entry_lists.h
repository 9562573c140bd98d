#pragma once

// The three entry lists (gumps, tiles, items): their names, placeholders,
// spacers, and Add and Clear.

#include "text/text_box.h"

#include <QString>
#include <QStringList>

#include <array>

namespace scp {

enum class ListId { Gumps = 0, Tiles = 1, Items = 2 };
inline constexpr std::array<ListId, 3> kAllLists{ListId::Gumps, ListId::Tiles, ListId::Items};

// What each list starts with and how it is named to the user and on disk.
QString listPlaceholder(ListId list); // "GUMPS WILL LOAD HERE\r\n"
QString fieldHint(ListId list);       // the entry field's initial text
QString listName(ListId list);        // "gumps"
QString sectionFileName(ListId list); // "gumps.scp"
QString spacerText(int width);        // `width` spaces

// Spaces between two entries: gumps and tiles share the narrower spacer.
inline constexpr int kGumpTileSpacerWidth = 37;
inline constexpr int kItemSpacerWidth = 86;
inline constexpr int spacerWidth(ListId list)
{
    return list == ListId::Items ? kItemSpacerWidth : kGumpTileSpacerWidth;
}

// The three entry lists. A list is nothing but the whole text of its box;
// entries are separated by their list's spacer.
class EntryLists {
public:
    explicit EntryLists(const std::array<TextBox*, 3>& boxes) : m_boxes(boxes) {}

    // Appends `entry` (an entry field's text), preceded by the spacer unless
    // the list is exactly "". Only the new text is appended. A list that
    // holds nothing but its placeholder gets the entry in its place, in one
    // undo step: the placeholder is never meant to reach the script.
    void addEntry(ListId list, const QString& entry);
    // Adds `entries` as that many Adds would, in one edit: one undo step.
    void addEntries(ListId list, const QStringList& entries);
    // Whether the list's whole text is its placeholder, with or without the
    // placeholder's line end.
    bool holdsOnlyPlaceholder(ListId list) const;
    void clearList(ListId list);
    QString listText(ListId list) const;

    TextBox& box(ListId list) const { return *m_boxes[static_cast<size_t>(list)]; }

private:
    std::array<TextBox*, 3> m_boxes;
};

} // namespace scp
