#pragma once

#include "lists/text_box.h"

#include <QString>

#include <array>

namespace scp {

enum class ListId { Gumps = 0, Tiles = 1, Items = 2 };
inline constexpr std::array<ListId, 3> kAllLists{ListId::Gumps, ListId::Tiles, ListId::Items};

// What each list starts with and how it is named to the user and on disk.
QString list_placeholder(ListId list);  // "GUMPS WILL LOAD HERE\r\n"
QString field_hint(ListId list);        // the entry field's initial text
QString list_name(ListId list);         // "gumps"
QString section_file_name(ListId list); // "gumps.scp"
QString spacer_text(int width);         // `width` spaces

inline constexpr int kGumpTileSpacerWidth = 37; // held by Text2
inline constexpr int kItemSpacerWidth = 86;     // held by Text5

// The three entry lists. A list is nothing but the whole text of its box;
// entries are separated by the spacer held in a hidden spacer box.
class EntryLists {
public:
    struct Parts {
        TextBox* gumps;
        TextBox* tiles;
        TextBox* items;
        TextField* gumpsField;
        TextField* tilesField;
        TextField* itemsField;
        const TextField* gumpTileSpacer; // Text2: gumps and tiles
        const TextField* itemSpacer;     // Text5: items
    };
    explicit EntryLists(const Parts& parts);

    // Appends the entry field's text, preceded by the spacer unless the list
    // is exactly "". Only the new text is appended.
    void add_entry(ListId list);
    void clear_list(ListId list);
    QString list_text(ListId list) const;
    void set_list_text(ListId list, const QString& text);

    TextBox& box(ListId list) const;
    TextField& field(ListId list) const;
    const TextField& spacer(ListId list) const;

private:
    Parts m_parts;
};

} // namespace scp
