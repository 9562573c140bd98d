#pragma once

// A script as the compile writes it, joined here from the template blocks,
// with the patch info lines the compile writes when patch.ini is there.

#include "cp1252.h"
#include "patch_info.h"
#include "templates.h"

#include <QByteArray>

#include <array>
#include <optional>

// Lists in ListId order (gumps, tiles, items), as section file bytes.
inline QByteArray assembledScript(const std::array<QByteArray, 3>& lists,
                                  const std::optional<scp::PatchInfo>& info = std::nullopt)
{
    using scp::Block;
    const auto block = [](Block b) { return scp::templateText(b).toLatin1(); };
    QByteArray head = block(Block::Head);
    if (info) {
        const auto replace = [&head](const QByteArray& from, const QString& to) {
            const qsizetype at = head.indexOf(from);
            head.replace(at, from.size(), scp::encodeCp1252(to).bytes);
        };
        replace("NAME The Mantle Patch v1.0", QStringLiteral("NAME ") + info->name);
        replace("CREATOR The scpmaker developers", QStringLiteral("CREATOR ") + info->creator);
        replace("EMAIL scripts@example.org , patches@example.org , tiles@example.org \r\n"
                "& items@example.org",
                QStringLiteral("EMAIL ") + info->email);
        replace("\r\n1\r\n}", QStringLiteral("\r\n%1\r\n}").arg(info->server ? 1 : 0));
    }
    const QByteArray gap = block(Block::Gap);
    return head + gap + lists[1] + gap + block(Block::GumpsHead) + gap + lists[0] + gap +
           block(Block::ItemsHead) + gap + lists[2] + gap + block(Block::Tail);
}
