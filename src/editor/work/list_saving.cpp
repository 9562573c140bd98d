// The lists written, once what they would replace is asked about.

#include "work/list_saving.h"

#include "lists/list_document.h"
#include "script/changed_files.h"
#include "script/folder_files.h"
#include "windows/main_window.h"
#include "windows/questions.h"
#include "work/journal_recorder.h"
#include "work/list_loading.h"
#include "work/script_errors.h"
#include "work/work_queue.h"

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Lists this long take a Save past the time a busy pointer is due.
constexpr qsizetype kLongSave = qsizetype(8) << 20; // characters

} // namespace

ListSaving::ListSaving(WorkQueue& queue, MainWindow& window, FolderFiles& files,
                       EntryLists& entryLists, const std::array<ListDocument*, 3>& lists,
                       JournalRecorder& recorder, ListLoading& loading)
    : m_queue(queue), m_window(window), m_files(files), m_entryLists(entryLists), m_lists(lists),
      m_recorder(recorder), m_loading(loading)
{
}

QList<ListId> ListSaving::unsavedLists() const
{
    QList<ListId> lists;
    for (ListId list : kAllLists) {
        if (m_lists[size_t(list)]->isUnsaved())
            lists.append(list);
    }
    return lists;
}

void ListSaving::updateUnsaved()
{
    const bool listsUnsaved = !unsavedLists().isEmpty();
    m_window.setWindowModified(listsUnsaved || m_files.patchInfo.patchInfoUnsaved());
    // The lists back to what the files hold: nothing to keep against a crash
    // (the journal keeps lists only).
    if (!listsUnsaved)
        m_recorder.reset();
}

bool ListSaving::maySaveBefore(const QString& before)
{
    const QList<ListId> lists = unsavedLists();
    const bool patchInfo = m_files.patchInfo.patchInfoUnsaved();
    if (lists.isEmpty() && !patchInfo)
        return true;
    switch (m_queue.asking([&] { return askToSaveLists(&m_window, lists, before, patchInfo); })) {
    case UnsavedAnswer::Save:
        return save();
    case UnsavedAnswer::Discard:
        return true;
    case UnsavedAnswer::Cancel:
        break;
    }
    return false;
}

bool ListSaving::listsAreLong() const
{
    qsizetype characters = 0;
    for (const ListDocument* list : m_lists)
        characters += list->positionCount();
    return characters >= kLongSave;
}

bool ListSaving::save()
{
    // Saved in the folder the user chooses, by that folder's editor; what
    // asked for the save here (a close, a Load) does not go on.
    if (m_moveToAFolder) {
        m_moveToAFolder(false);
        return false;
    }
    // The three files (and patch.ini, where it is written) are one save: any
    // changed behind the editor's back is asked about first, and Cancel
    // writes none.
    const ChangedFiles changed = changedSinceRead(m_files);
    if (!changed.files.isEmpty() &&
        !m_queue.asking([&] { return askToReplace(&m_window, changed.files, changed.unreadable); }))
        return false;
    bool saved = false;
    const auto save = [this, &saved](Reporter& reporter) {
        saved = m_files.sections.saveSections(m_entryLists, m_files.patchInfo, reporter);
    };
    // What a drop or an input method puts in a list while the files are
    // written is not in them.
    std::array<ListDocument::Held, 3> written;
    for (size_t i = 0; i < written.size(); ++i)
        written[i] = m_lists[i]->held();
    m_queue.run(save, listsAreLong(), [this, &written] {
        for (size_t i = 0; i < written.size(); ++i)
            m_lists[i]->markSaved(written[i]);
        updateUnsaved(); // the patch info's part, which no list reports
    });
    return saved;
}

void ListSaving::compile()
{
    if (m_moveToAFolder)
        return m_moveToAFolder(true);
    // Entries the patching tool cannot read, and a script the user made
    // elsewhere, are not written over unasked.
    if (!mayCompileWithErrors() || !mayReplaceScript())
        return;
    m_queue.run(
        [this](Reporter& reporter) {
            m_files.script.compileScript(m_entryLists, m_files.patchInfo.patchInfo(), reporter);
        },
        listsAreLong());
}

bool ListSaving::mayCompileWithErrors()
{
    const QList<ListErrors> errors =
        scriptErrors({m_lists[0], m_lists[1], m_lists[2]},
                     {m_window.problems(ListId::Gumps), m_window.problems(ListId::Tiles),
                      m_window.problems(ListId::Items)});
    if (errors.isEmpty())
        return true;
    switch (m_queue.asking([&] { return askToCompileWithErrors(&m_window, errors); })) {
    case CompileAnswer::Compile:
        return true;
    case CompileAnswer::ShowFirst:
        m_window.selectProblemAt(errors.first().list, int(errors.first().first.position));
        return false;
    case CompileAnswer::Cancel:
        break;
    }
    return false;
}

bool ListSaving::mayReplaceScript()
{
    QString unreadable;
    if (m_files.script.mayReplaceScript(&unreadable))
        return true;
    const QString path = m_files.script.scriptPath();
    switch (m_queue.asking([&] { return askToReplaceScript(&m_window, path, unreadable); })) {
    case ScriptAnswer::Replace:
        return true;
    case ScriptAnswer::Import:
        // The user's way to keep its lists: Import mantle.scp... on it.
        if (maySaveBefore(u"importing"_s))
            m_loading.import(path);
        return false;
    case ScriptAnswer::Cancel:
        break;
    }
    return false;
}

} // namespace scp
