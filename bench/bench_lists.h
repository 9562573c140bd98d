#pragma once

#include "entry_lists.h"

#include <QString>

// A gumps list of `entries` copies of `entry`, 37 spaces apart, as Add leaves it.
inline QString gump_list(int entries, const QString& entry)
{
    const QString spacer = scp::spacerText(scp::kGumpTileSpacerWidth);
    QString text;
    text.reserve(entries * (entry.size() + spacer.size()));
    for (int i = 0; i < entries; ++i) {
        if (i > 0)
            text += spacer;
        text += entry;
    }
    return text;
}
