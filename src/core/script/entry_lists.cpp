// The lists' names and texts, Add and Clear.

#include "script/entry_lists.h"

namespace scp {

QString listPlaceholder(ListId list)
{
    static const std::array<QString, 3> texts = {
        QStringLiteral("GUMPS WILL LOAD HERE\r\n"),
        QStringLiteral("TILES WILL LOAD HERE\r\n"),
        QStringLiteral("ITEMS WILL LOAD HERE\r\n"),
    };
    return texts[static_cast<size_t>(list)];
}

QString fieldHint(ListId list)
{
    static const QString gumpOrTile = QStringLiteral("HexID Filename.bmp Width Height");
    static const QString item =
        QStringLiteral("ItemHex Flag1 Flag2 Flag3 Flag4 weight layer animation height itemName");
    return list == ListId::Items ? item : gumpOrTile;
}

QString listName(ListId list)
{
    static const std::array<QString, 3> names = {QStringLiteral("gumps"), QStringLiteral("tiles"),
                                                 QStringLiteral("items")};
    return names[static_cast<size_t>(list)];
}

QString sectionFileName(ListId list)
{
    return listName(list) + QStringLiteral(".scp");
}

QString spacerText(int width)
{
    return QString(width, u' ');
}

bool EntryLists::holdsOnlyPlaceholder(ListId list) const
{
    const QString placeholder = listPlaceholder(list);
    const TextBox& target = box(list);
    return target.holds(placeholder) || target.holds(placeholder.chopped(2));
}

void EntryLists::addEntry(ListId list, const QString& entry)
{
    if (holdsOnlyPlaceholder(list))
        return box(list).setText(entry);
    TextBox& target = box(list);
    // A list counts as empty only when it is exactly "": a list of spaces or
    // of a lone line end still gets the spacer. Spacer and entry go in as one
    // append, which leaves the same text as two whole-text rewrites would.
    if (target.isEmpty())
        target.appendText(entry);
    else
        target.appendText(spacerText(spacerWidth(list)) + entry);
}

void EntryLists::addEntries(ListId list, const QStringList& entries)
{
    if (entries.isEmpty())
        return;
    const QString spacer = spacerText(spacerWidth(list));
    const QString joined = entries.join(spacer);
    if (holdsOnlyPlaceholder(list))
        return box(list).setText(joined);
    TextBox& target = box(list);
    target.appendText(target.isEmpty() ? joined : spacer + joined);
}

void EntryLists::clearList(ListId list)
{
    box(list).setText(QString());
}

QString EntryLists::listText(ListId list) const
{
    return box(list).text();
}

} // namespace scp
