#pragma once

// What the start says of the recovery journal: the lists an earlier run left
// unsaved, offered back, or why no journal is kept.

#include "recovery/recovery_store.h"

#include <array>

class QWidget;

namespace scp {

class ListDocument;
class RecoveryJournal;
class SectionFiles;
class WorkQueue;

// Once the window is up and the files are in: with the folder's lock taken,
// each journal an earlier run left is offered (Restore, Discard, or Later,
// which leaves it and the rest for the next start); held by another editor,
// or failed, that no journal is kept is said.
struct RecoveryOffer {
    WorkQueue& queue;
    QWidget* window;
    const RecoveryStore& store;
    RecoveryJournal* journal; // this editor's: none unless the lock was taken
    SectionFiles& files;
    std::array<ListDocument*, 3> lists;

    void afterStart(RecoveryStore::Lock lock) const;

private:
    void offerLeftJournals() const;
};

} // namespace scp
