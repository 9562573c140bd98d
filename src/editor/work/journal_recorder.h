#pragma once

// Feeds the recovery journal from the three lists. Until a list
// changes after its last save it needs no record; its first change records
// what the editor knows of its section file, then its base (that file, copied
// by the journal's thread, where the file is as it was saved or loaded, else
// its whole text), and every change after
// that is an edit: a keystroke costs a record of a few bytes, whatever the
// list's length.

#include "script/entry_lists.h"

#include <QObject>

#include <array>

namespace scp {

class ListDocument;
class RecoveryJournal;
class SectionFiles;

class JournalRecorder final : public QObject {
    Q_OBJECT

public:
    JournalRecorder(const std::array<ListDocument*, 3>& lists, const SectionFiles& files,
                    QObject* parent = nullptr);

    // Records into `journal` from now on (none: records nothing).
    void setJournal(RecoveryJournal* journal);
    // The lists are what their section files hold: the journal goes, and
    // each list's next change starts it again. Recording starts again too,
    // after a failure.
    void reset();
    // While a Load puts whole files into the lists, nothing is recorded:
    // the reset once they are saved lists follows.
    void setPaused(bool paused) { m_paused = paused; }
    // The list stays unsaved across a reset (a Load that could not read its
    // file): its whole text is recorded again.
    void keep(ListId list);

private:
    void changed(ListId list, int position, int removed, int added);
    void replaced(ListId list, bool byUndo);
    // The list's base from its file, where the file is as last read or
    // written; false where it cannot be.
    bool recordBase(ListId list);
    void recordWholeText(ListId list);
    // What the editor knows of the list's file, once for each journal: what
    // a restore finds the file should be.
    void recordFileOnce(ListId list);
    void failed();

    std::array<ListDocument*, 3> m_lists;
    const SectionFiles& m_sectionFiles;
    RecoveryJournal* m_journal = nullptr;
    bool m_paused = false;
    bool m_failed = false;            // nothing is recorded until the next reset
    std::array<bool, 3> m_recorded{}; // the journal has the list as it is
    std::array<bool, 3> m_fileRecorded{};
    std::array<bool, 3> m_revertible{}; // and what undo of its last replacement brings back
    std::array<int, 3> m_positions{};   // each list's positions after the last change seen
};

} // namespace scp
