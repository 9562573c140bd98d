#pragma once

// The lint's marks on a list box, as a spell checker marks a misspelt word.

#include "lint/lint.h"
#include "lists/list_search.h"
#include "script/entry_lists.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QPoint;
class QRect;
class QTextDocument;

namespace scp {

class ListEdit;

// Marks what the lint finds in a list box the way a spell checker marks a
// misspelt word: a wavy underline under the entry or field at fault, and the
// finding's message as the tooltip over it. The marks are extra selections,
// so the list's text, its formats and its undo history stay untouched, and
// the box's own mouse handling (the copy menu on a right press) is left alone.
//
// The lint reads the document itself, one character a position: a row break
// as the space it stands for and a real line end as one LF. Entries and
// fields split there exactly as in the list's text, so lint positions are
// document positions and need no mapping. Each edit re-reads only the
// entries it touched; the marks are worked out for the rows on screen, just
// before they are painted.
class ListMarks final : public QObject {
    Q_OBJECT

public:
    // Lives as long as `edit`, whose child it becomes. `pictures` (may be
    // null: no picture checks) must outlive it.
    ListMarks(ListEdit& edit, ListId list, PictureFolder* pictures);
    ~ListMarks() override;

    // The findings touching [from, to) in the part of the list read so far
    // (the whole list once isRead()).
    QList<LintFinding> findings(qsizetype from, qsizetype to) const;
    bool isRead() const;
    // The entry that holds `position`, as entryAround() (list_search.h)
    // gives it, from the lint's entries once the list is read: a long entry
    // is not looked through for its ends.
    EntrySpan entryAround(int position) const;
    // The rules the marks are found by: the list's, with messages.
    const LintRules& rules() const { return m_rules; }

    // How often the marks on screen look at their pictures again, so a
    // picture added, removed or changed on disk shows without an edit.
    static constexpr int kPictureCheckMs = 500;

Q_SIGNALS:
    // The findings may be others now: the list was edited or replaced, or
    // the rest of a long list has been read.
    void findingsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followDocument();
    void documentChanged(int position, int removed, int added);
    void readWholeDocument();
    void readOn();
    void markVisibleRows();
    void recheckPictures();
    bool showToolTip(const QPoint& at, const QPoint& globalAt);
    QRect characterRect(int position) const;

    ListEdit& m_edit;
    QObject* m_viewport = nullptr;
    const LintRules m_rules;
    PictureFolder* const m_pictures;
    // What has been read of a document: the lint over its text, which the
    // lint reads from the document itself. A long document is read while the
    // program is idle, a slice at a time; edits meanwhile go to the lint as
    // usual.
    struct Reading {
        QTextDocument* document = nullptr;
        std::unique_ptr<LintText> text;
        std::unique_ptr<ListLint> lint;
    };
    Reading m_shown;
    // The reading of the document the shown one replaced, while the box still
    // holds that document for undo: undoing a Clear or a Load swaps it back
    // instead of reading a long list again.
    Reading m_replaced;
    QMetaObject::Connection m_replacedGone;
    QTimer m_reader; // the next idle pass over the shown reading
    QTimer m_pictureCheck;
    bool m_marksStale = true;
    int m_markedFrom = -1, m_markedTo = -1; // the document range last marked
};

} // namespace scp
