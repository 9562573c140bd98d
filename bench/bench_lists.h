#pragma once

#include "script/entry_lists.h"

#include <QString>

// A list of `entries` entries, entry(i) the i-th, `spacerWidth` spaces
// apart, as Add leaves it; `entryLength` the usual entry's, to size it.
template <typename Entry>
QString joinedEntries(int entries, qsizetype entryLength, int spacerWidth, Entry entry)
{
    const QString spacer = scp::spacerText(spacerWidth);
    QString text;
    text.reserve(qsizetype(entries) * (entryLength + spacer.size()));
    for (int i = 0; i < entries; ++i) {
        if (i > 0)
            text += spacer;
        text += entry(i);
    }
    return text;
}

// A list of `entries` copies of `entry`.
inline QString entryList(int entries, const QString& entry,
                         int spacerWidth = scp::kGumpTileSpacerWidth)
{
    return joinedEntries(entries, entry.size(), spacerWidth, [&entry](int) { return entry; });
}

// A gumps list of `entries` copies of `entry`.
inline QString gumpList(int entries, const QString& entry)
{
    return entryList(entries, entry);
}

// The list `list` of `entries` entries of the usual length for that list,
// starting with its placeholder line as a list that was added to does. Each
// entry the same, or with `ownIds` each with an id of its own, counting up,
// as in a list made by hand (the lint then keeps a key an entry).
inline QString sectionList(scp::ListId list, int entries, bool ownIds = false)
{
    const QString entry =
        list == scp::ListId::Items   ? QStringLiteral("0x2000 0 0 0 0 3 20 970 0 Mantle of Night")
        : list == scp::ListId::Tiles ? QStringLiteral("0x4000 tile_marble.bmp 44 44")
                                     : QStringLiteral("0x0F00 gump_cloak_m.bmp 120 200");
    if (!ownIds)
        return scp::listPlaceholder(list) + entryList(entries, entry, scp::spacerWidth(list));
    const QString rest = entry.mid(entry.indexOf(u' '));
    return scp::listPlaceholder(list) +
           joinedEntries(entries, entry.size() + 1, scp::spacerWidth(list), [&rest](int i) {
               return QStringLiteral("0x%1").arg(0x10000 + i, 5, 16, QChar(u'0')) + rest;
           });
}
