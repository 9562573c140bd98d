// A list's problem count, the reason at its text cursor, and F8.

#include "lists/list_problems.h"

#include "lint/lint.h"
#include "lists/list_document.h"
#include "lists/list_edit.h"
#include "lists/list_marks.h"
#include "lists/list_search.h"
#include "text/counted.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTextCursor>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// How long the list holds still before a count starts, so typing does not
// start one at each key.
constexpr int kSettleMs = 150;
// Characters of the list whose findings one idle pass gathers: a few
// milliseconds' work.
constexpr qsizetype kCountPerPass = 1 << 15;

} // namespace

ListProblems::ListProblems(ListEdit& edit, ListMarks& marks, QLabel& status)
    : QObject(&edit), m_edit(edit), m_marks(marks), m_status(status),
      m_description(edit.accessibleDescription()), m_describedAs(m_description)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    m_pass.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_counting = {};
        m_countedTo = 0;
        m_countingEntryEnd = 0;
        countOn();
    });
    connect(&m_pass, &QTimer::timeout, this, &ListProblems::countOn);
    // The marks reading on through a list whose count is kept, and not asked
    // for again, find what it holds: a Load's count needs no second one.
    // Edits are followed by moveMarks(), which may come after this.
    connect(&marks, &ListMarks::findingsChanged, this, [this] {
        if (m_fresh && isCounted())
            showStatus();
        else
            countLater();
    });
    connect(&edit.list(), &ListDocument::positionsChanged, this, &ListProblems::moveMarks);
    connect(&edit, &ListEdit::cursorPositionChanged, this, &ListProblems::showStatus);
    connect(&edit, &ListEdit::selectionChanged, this, &ListProblems::showStatus);
    // Pictures may have been added or changed while the user was elsewhere:
    // a Load's count taken meanwhile is not enough.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive) {
            m_away = true;
            return;
        }
        m_askedAgain = m_askedAgain || std::exchange(m_away, false);
        countLater();
    });
    edit.installEventFilter(this);
    status.installEventFilter(this);
    countLater();
}

ListProblems::~ListProblems() = default;

void ListProblems::countLater()
{
    m_fresh = false;
    m_pass.stop();
    m_settle.start();
    showStatus();
}

void ListProblems::countOn()
{
    if (!m_marks.isRead())
        return; // the marks say when they have read on
    const qsizetype size = m_edit.document()->characterCount() - 1;
    const qsizetype to = std::min(size, m_countedTo + kCountPerPass);
    for (const LintFinding& finding : m_marks.findings(m_countedTo, to)) {
        // A finding across a slice's start was taken with the slice before.
        if (finding.position >= m_countedTo || m_countedTo == 0) {
            ++m_counting.findings;
            if (finding.position >= m_countingEntryEnd) {
                m_counting.marks.push_back({int(finding.position)});
                m_countingEntryEnd = m_marks.entryAround(int(finding.position)).end;
            }
            if (lintLevel(finding.rule) == LintLevel::Error)
                m_counting.errors.push_back({int(finding.position)});
        }
    }
    m_countedTo = to;
    if (to < size) {
        m_pass.start();
        return;
    }
    m_counted = std::move(m_counting);
    m_counting = {};
    m_askedAgain = false;
    m_count = m_counted.findings;
    m_countedIn = m_edit.document();
    m_countedSize = int(size);
    m_editedTo = -1;
    m_fresh = true;
    showStatus();
}

void ListProblems::countedAlready(const QTextDocument* document, Counted counted)
{
    if (document != m_edit.document())
        return;
    m_settle.stop(); // no count of its own
    m_pass.stop();
    m_counted = std::move(counted);
    m_count = m_counted.findings;
    m_countedIn = document;
    m_countedSize = document->characterCount() - 1;
    m_editedTo = -1;
    m_fresh = true;
    if (m_askedAgain)
        countLater(); // its pictures may have been looked up before the change
    else
        showStatus();
}

bool ListProblems::selectNext(bool backward)
{
    const QTextDocument& document = *m_edit.document();
    const QTextCursor cursor = m_edit.textCursor();
    // Past the entry the text cursor is in: F8 on a marked entry goes on to
    // the next one.
    const EntrySpan here =
        m_marks.entryAround(backward ? cursor.selectionStart() : cursor.selectionEnd());
    int mark = backward ? searchMark(here.start, true) : searchMark(here.end, false);
    if (mark < 0) // round the end
        mark = searchMark(backward ? int(document.characterCount()) : 0, backward);
    if (mark < 0)
        return false;
    selectEntryAt(mark);
    return true;
}

void ListProblems::selectEntryAt(int position)
{
    EntrySpan entry = m_marks.entryAround(position);
    if (entry.start == entry.end)
        entry.end = entry.start + 1;
    QTextCursor cursor = m_edit.textCursor();
    cursor.setPosition(entry.start);
    cursor.setPosition(entry.end, QTextCursor::KeepAnchor);
    m_edit.setTextCursor(cursor);
    m_edit.ensureCursorVisible();
}

void ListProblems::moveMarks(int position, int removed, int added)
{
    if (m_countedIn != m_edit.document())
        return;
    // An edit that reaches the end is reported with the document's own last
    // paragraph break counted in on both sides.
    const int past = position + removed - m_countedSize;
    if (past > 0) {
        removed -= past;
        added -= past;
    }
    const int size = m_edit.document()->characterCount() - 1;
    countLater(); // the marks may have said so before this was called
    if (position < 0 || removed < 0 || added < 0 || m_countedSize - removed + added != size) {
        m_countedIn = nullptr; // not an edit of the text counted
        return;
    }
    m_countedSize = size;
    const int end = position + removed;
    const int moved = added - removed;
    for (std::vector<Mark>* marks : {&m_counted.marks, &m_counted.errors}) {
        std::erase_if(*marks, [&](const Mark& mark) {
            return mark.position >= position && mark.position < end;
        });
        for (Mark& mark : *marks) {
            if (mark.position >= end)
                mark.position += moved;
        }
    }
    const auto moveEdge = [&](int at, int inside) {
        return at >= end ? at + moved : at > position ? inside : at;
    };
    if (m_editedTo < 0) {
        m_editedFrom = position;
        m_editedTo = position + added;
    } else {
        m_editedFrom = std::min(moveEdge(m_editedFrom, position), position);
        m_editedTo = std::max(moveEdge(m_editedTo, position + added), position + added);
    }
}

int ListProblems::nearestMark(int from, bool backward, int skipFrom, int skipTo) const
{
    // In the marks counted: the first at `from` or after, or the last before,
    // passing over [skipFrom, skipTo).
    const std::vector<Mark>& marks = m_counted.marks;
    auto at = std::lower_bound(marks.cbegin(), marks.cend(), from,
                               [](const Mark& mark, int at) { return mark.position < at; });
    while (true) {
        if (backward ? at == marks.cbegin() : at == marks.cend())
            return -1;
        const int position = backward ? std::prev(at)->position : at->position;
        if (position < skipFrom || position >= skipTo)
            return position;
        at = backward ? std::prev(at) : std::next(at);
    }
}

bool ListProblems::isCounted() const
{
    return m_countedIn == m_edit.document() && m_editedTo < 0;
}

std::pair<int, int> ListProblems::editedEntries() const
{
    // An edit can change whether the characters beside it separate entries
    // (a space typed next to a space makes a spacer of both), and so the
    // entries on either side; not the characters beyond them.
    const int size = m_edit.document()->characterCount() - 1;
    const int before = std::max(0, m_editedFrom - 2);
    const int after = std::min(size, m_editedTo + 1);
    return {std::min(m_marks.entryAround(before).start, before),
            std::max(m_marks.entryAround(after).end, after + 1)};
}

std::optional<ListProblems::Errors> ListProblems::errors() const
{
    const QTextDocument* document = m_edit.document();
    if (m_countedIn != document)
        return std::nullopt;
    Errors found;
    int first = -1; // where the first kept one is
    // Those kept, outside the entries edited since; those in them as they are.
    const auto [editedFrom, editedTo] = m_editedTo < 0 ? std::pair(0, 0) : editedEntries();
    for (const Mark& mark : m_counted.errors) {
        if (mark.position >= editedFrom && mark.position < editedTo)
            continue;
        if (first < 0)
            first = mark.position;
        ++found.count;
    }
    std::optional<LintFinding> firstEdited;
    if (editedTo > editedFrom) {
        if (!m_marks.isRead())
            return std::nullopt;
        for (const LintFinding& finding : m_marks.findings(editedFrom, editedTo)) {
            if (lintLevel(finding.rule) != LintLevel::Error || finding.position < editedFrom ||
                finding.position >= editedTo)
                continue;
            if (!firstEdited)
                firstEdited = finding;
            ++found.count;
        }
    }
    if (firstEdited && (first < 0 || firstEdited->position < first)) {
        found.first = *firstEdited;
    } else if (first >= 0) {
        // Its message: its entry read alone.
        const EntrySpan entry = m_marks.entryAround(first);
        QString text;
        ListDocument::positionText(*document, entry.start, entry.end, text);
        ListLint alone(m_marks.rules());
        alone.setText(std::move(text));
        const QList<LintFinding> findings = alone.findings();
        const auto error = std::ranges::find_if(findings, [](const LintFinding& finding) {
            return lintLevel(finding.rule) == LintLevel::Error;
        });
        if (error == findings.end())
            return std::nullopt; // not as counted: the list is read afresh
        found.first = *error;
        found.first.position += entry.start;
    }
    return found;
}

int ListProblems::searchMark(int from, bool backward) const
{
    // No edit since the count: the marks kept are the list's.
    if (m_fresh || isCounted())
        return nearestMark(from, backward);
    if (m_countedIn == m_edit.document()) {
        // The marks kept, but in the entries edited since: those as they are.
        const auto [editedFrom, editedEnd] = editedEntries();
        const int editedTo = editedEnd - 1;
        int fresh = -1;
        for (const LintFinding& finding : m_marks.findings(editedFrom, editedTo + 1)) {
            const int position = int(finding.position);
            if (backward ? position < from : position >= from) {
                fresh = position;
                if (!backward)
                    break;
            }
        }
        const int kept = nearestMark(from, backward, editedFrom, editedTo + 1);
        if (fresh < 0 || kept < 0)
            return std::max(fresh, kept);
        return backward ? std::max(fresh, kept) : std::min(fresh, kept);
    }
    // The marks as they are now, asked for in growing stretches from `from`.
    const int size = m_edit.document()->characterCount() - 1;
    for (int reach = 4096, done = std::clamp(from, 0, size); backward ? done > 0 : done < size;
         reach *= 2) {
        const int start = backward ? std::max(0, done - reach) : done;
        const int end = backward ? done : std::min(size, done + reach);
        const QList<LintFinding> found = m_marks.findings(start, end);
        if (backward) {
            for (auto it = found.crbegin(); it != found.crend(); ++it) {
                if (it->position < from)
                    return int(it->position);
            }
        } else {
            for (const LintFinding& finding : found) {
                if (finding.position >= from)
                    return int(finding.position);
            }
        }
        done = backward ? start : end;
    }
    return -1;
}

void ListProblems::showStatus()
{
    // The reasons of the marks the text cursor (or the selection) touches.
    const QTextCursor cursor = m_edit.textCursor();
    // A long selection (all of the list, say) by where the cursor stands:
    // its findings would take the lint a pass over all of it.
    const bool entrySized = cursor.selectionEnd() - cursor.selectionStart() <= 4096;
    const int from = entrySized ? cursor.selectionStart() : cursor.position();
    const int to = entrySized ? cursor.selectionEnd() : cursor.position();
    QStringList reasons;
    for (const LintFinding& finding : m_marks.findings(std::max(0, from - 1), to + 1)) {
        if (finding.position <= to && from <= finding.position + finding.length &&
            !reasons.contains(finding.message))
            reasons << finding.message;
    }
    const QString reason = reasons.join(u"; "_s);
    const QString count = m_count <= 0 ? QString() : counted(m_count, u"problem");
    // Beside the count only while the list has the focus, where the user is
    // working: the other lists' reasons would be clutter.
    const QString status =
        reason.isEmpty() || !m_edit.hasFocus() ? count : count + u": "_s + reason;
    m_status.setText(m_status.fontMetrics().elidedText(status, Qt::ElideRight, m_status.width()));
    m_status.setToolTip(status == m_status.text() ? QString() : status);
    m_status.setHidden(status.isEmpty()); // nothing at all to read when there are none
    // Whoever set the list's description since (the pictures' key, say)
    // gave it a new own part.
    if (m_edit.accessibleDescription() != m_describedAs)
        m_description = m_edit.accessibleDescription();
    const QString description = reason.isEmpty() ? m_description : reason + u". "_s + m_description;
    if (status == m_status.accessibleName() && description == m_edit.accessibleDescription())
        return;
    m_status.setAccessibleName(status);
    m_edit.setAccessibleDescription(description);
    m_describedAs = description;
    // Screen readers announce what changed as it changes.
    QAccessibleEvent named(&m_status, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent described(&m_edit, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

bool ListProblems::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F8 &&
            (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::ShiftModifier)) {
            selectNext(key->modifiers() == Qt::ShiftModifier);
            return true;
        }
    }
    if ((watched == &m_status && event->type() == QEvent::Resize) ||
        (watched == &m_edit &&
         (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)))
        showStatus();
    return false;
}

} // namespace scp
