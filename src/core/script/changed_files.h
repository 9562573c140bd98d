#pragma once

// Which of the folder's files a save would replace unseen, and how to say so.

#include <QStringList>

namespace scp {

struct FolderFiles;

// The files a save would replace that this editor has not seen as they are
// now, each named with why ("tiles.scp (changed since it was read or saved
// here)"), and how many of them could not be read.
struct ChangedFiles {
    QStringList files;
    int unreadable = 0;
};

// Of the three section files, and patch.ini where the next save writes it,
// those not as their records say they were last read or written.
ChangedFiles changedSinceRead(const FolderFiles& files);

} // namespace scp
