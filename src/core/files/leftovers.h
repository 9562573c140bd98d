#pragma once

// The files a commit keeps beside its targets: a temporary holding a
// target's new content (".NAME.new-XXXXXX") and a backup of its old one
// (".NAME.old-XXXXXX"), each locked while its run uses it, and the clean-up
// of those that a killed run left behind. Private to the file layer.

#include "files/system_calls.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

namespace scp {

inline constexpr QLatin1StringView kNewMark(".new-");
inline constexpr QLatin1StringView kOldMark(".old-");

// A random name beside `target` with `mark`: ".NAME" + mark + six letters.
QString besideName(const QString& target, QLatin1StringView mark);

// A new file under a free name beside the target, locked as in use and
// private to its owner until it gets the old file's mode; its name in
// `name`. Invalid with errno on failure.
Descriptor createBeside(const QString& target, QLatin1StringView mark, QString* name);

// Locks `fd` as a file a running commit uses. 0 when `path` still names it;
// ENOENT when another run's clean-up took it first (take another name);
// else the errno of the check.
int holdShared(int fd, const QString& path);

// The kind of file whose leftovers a commit on `target` removes: its
// extension (".scp"), so that a killed run's files beside any file of that
// kind go, not only `target`'s own.
QString leftoverKind(const QString& target);
// Removes what a killed run left in `folder` beside files of `kinds`: our
// temporaries and backups that no running process holds. Best effort: what
// stays is tried again by the next commit.
void removeLeftovers(const QString& folder, const QStringList& kinds);

} // namespace scp
