#pragma once

// A list's problems from the keyboard: how many there are, the reason of the
// one at the text cursor, and F8 to the next one.

#include "lint/lint_rules.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QTextDocument;

namespace scp {

class ListEdit;
class ListMarks;

// Counts the marks of a list and shows the count in `status`, a label by
// the list ("3 problems", "1 problem", nothing when there are none). Where
// the text cursor stands in a marked entry the list's accessible
// description starts with the mark's reason, so a screen reader says it as
// it changes, and while the list has the focus the label adds it. F8 and Shift+F8
// in the list select the whole next or previous marked entry, going round
// the list's ends.
//
// The count needs the whole list's findings, some hundreds of milliseconds
// for a long list with pictures to look up: they are gathered while the
// program is idle, a slice at a time, shortly after the list last changed,
// and kept as where each marked entry's first one is. F8 looks them up
// there. Edits move the positions kept; until the findings are gathered
// again F8 asks the marks afresh about the entries edited since, and takes
// the rest as kept (an edit may also have made or ended a repeated id far
// away: the count catches up a moment later). In a list just replaced it
// asks the marks for the findings from the text cursor on. The count also
// keeps where its errors are, which the compile asks about before it writes
// them.
class ListProblems final : public QObject {
    Q_OBJECT

public:
    // Lives as long as `edit`, whose child it becomes; `status` must
    // outlive it too.
    ListProblems(ListEdit& edit, ListMarks& marks, QLabel& status);
    ~ListProblems() override;

    // Selects the next (or previous) marked entry; false when none is.
    bool selectNext(bool backward);
    // Selects the whole entry at `position`, as F8 does a marked one.
    void selectEntryAt(int position);

    // Where a finding starts. F8 selects the whole entry around it, so the
    // finding's length is not kept, nor more than the first mark of an
    // entry: a long list with two findings in every entry keeps a quarter
    // as much.
    struct Mark {
        int position;
    };
    // What a count finds: how many findings, the first one's mark in each
    // entry with any, and apart those of every finding of error level, which
    // the compile asks about.
    struct Counted {
        int findings = 0;
        std::vector<Mark> marks;
        std::vector<Mark> errors;
    };
    // The marks of `document`, the list's now and unedited, counted
    // elsewhere (a Load's, from the files, while the lists filled): F8 and
    // the count have them at once, and the count is not taken again until
    // the list changes or the program comes back to the front.
    void countedAlready(const QTextDocument* document, Counted counted);

    // The list's findings of error level, from the count kept: those of the
    // entries edited since are asked of the marks afresh, and the first
    // one's message is its entry's, read alone. An entry's errors are its
    // own text's, so no other entry is read. None when no count of the list
    // shown is kept, or it was edited before the marks had read it.
    struct Errors {
        qsizetype count = 0;
        LintFinding first; // where there is one
    };
    std::optional<Errors> errors() const;
    // Whether the count kept is of the list as it stands: no edit since.
    bool isCounted() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void countLater();
    void moveMarks(int position, int removed, int added);
    void countOn();
    int nearestMark(int from, bool backward, int skipFrom = 0, int skipTo = 0) const;
    // The entries the edits since the count touched, [from, to); only when
    // there were edits.
    std::pair<int, int> editedEntries() const;
    int searchMark(int from, bool backward) const;
    void showStatus();

    ListEdit& m_edit;
    ListMarks& m_marks;
    QLabel& m_status;
    QString m_description; // the list's own accessible description
    QString m_describedAs; // the description as last set here
    Counted m_counted;     // in text order, moved by the edits since
    // The document they were counted in; a pointer that clears when it is
    // freed, so a later document at the same address is not taken for it.
    QPointer<const QTextDocument> m_countedIn;
    int m_countedSize = -1;                // its size, as the edits since leave it
    int m_editedFrom = 0, m_editedTo = -1; // what the edits since touched, if any
    bool m_fresh = false;                  // no edit, and no count asked for, since
    bool m_away = false;                   // the program is not in front
    bool m_askedAgain = false; // back in front since the last count: pictures may have changed
    int m_count = -1;
    Counted m_counting;         // the count under way
    int m_countingEntryEnd = 0; // where the entry of its last mark ends
    qsizetype m_countedTo = 0;
    QTimer m_settle; // the list holds still for a moment before a count
    QTimer m_pass;   // the next slice of a count under way
};

} // namespace scp
