#include "lists/entry_lists.h"

#include <QtGlobal>

namespace scp {

namespace {

int index(ListId list)
{
    const int i = static_cast<int>(list);
    Q_ASSERT(i >= 0 && i < 3);
    return i;
}

} // namespace

QString list_placeholder(ListId list)
{
    static const QString texts[] = {
        QStringLiteral("GUMPS WILL LOAD HERE\r\n"),
        QStringLiteral("TILES WILL LOAD HERE\r\n"),
        QStringLiteral("ITEMS WILL LOAD HERE\r\n"),
    };
    return texts[index(list)];
}

QString field_hint(ListId list)
{
    static const QString gumpOrTile = QStringLiteral("HexID Filename.bmp Width Height");
    static const QString item =
        QStringLiteral("ItemHex Flag1 Flag2 Flag3 Flag4 weight layer animation height itemName");
    return list == ListId::Items ? item : gumpOrTile;
}

QString list_name(ListId list)
{
    static const QString names[] = {QStringLiteral("gumps"), QStringLiteral("tiles"),
                                    QStringLiteral("items")};
    return names[index(list)];
}

QString section_file_name(ListId list)
{
    return list_name(list) + QStringLiteral(".scp");
}

QString spacer_text(int width)
{
    return QString(width, u' ');
}

EntryLists::EntryLists(const Parts& parts) : m_parts(parts) {}

void EntryLists::add_entry(ListId list)
{
    TextBox& target = box(list);
    const QString entry = field(list).text();
    // A list counts as empty only when it is exactly "": a list of spaces or
    // of a lone line end still gets the spacer. Spacer and entry go in as one
    // append, which leaves the same text as two whole-text rewrites would.
    if (target.isEmpty())
        target.appendText(entry);
    else
        target.appendText(spacer(list).text() + entry);
}

void EntryLists::clear_list(ListId list)
{
    box(list).setText(QString());
}

QString EntryLists::list_text(ListId list) const
{
    return box(list).text();
}

void EntryLists::set_list_text(ListId list, const QString& text)
{
    box(list).setText(text);
}

TextBox& EntryLists::box(ListId list) const
{
    TextBox* boxes[] = {m_parts.gumps, m_parts.tiles, m_parts.items};
    return *boxes[index(list)];
}

TextField& EntryLists::field(ListId list) const
{
    TextField* fields[] = {m_parts.gumpsField, m_parts.tilesField, m_parts.itemsField};
    return *fields[index(list)];
}

const TextField& EntryLists::spacer(ListId list) const
{
    return list == ListId::Items ? *m_parts.itemSpacer : *m_parts.gumpTileSpacer;
}

} // namespace scp
