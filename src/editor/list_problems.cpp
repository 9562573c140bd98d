// A list's problem count, the reason at its text cursor, and F8.

#include "list_problems.h"

#include "list_edit.h"
#include "list_marks.h"
#include "list_search.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTextCursor>

#include <algorithm>

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
      m_description(edit.accessibleDescription())
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    m_pass.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_counting.clear();
        m_countedTo = 0;
        countOn();
    });
    connect(&m_pass, &QTimer::timeout, this, &ListProblems::countOn);
    connect(&marks, &ListMarks::findingsChanged, this, &ListProblems::countLater);
    connect(&edit, &ListEdit::cursorPositionChanged, this, &ListProblems::showStatus);
    connect(&edit, &ListEdit::selectionChanged, this, &ListProblems::showStatus);
    // Pictures may have been added or changed while the user was elsewhere.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
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
        if (finding.position >= m_countedTo || m_countedTo == 0)
            m_counting.push_back({int(finding.position), int(finding.length)});
    }
    m_countedTo = to;
    if (to < size) {
        m_pass.start();
        return;
    }
    m_counted = std::move(m_counting);
    m_counting = {};
    m_count = int(m_counted.size());
    m_fresh = true;
    showStatus();
}

bool ListProblems::selectNext(bool backward)
{
    const QTextDocument& document = *m_edit.document();
    QTextCursor cursor = m_edit.textCursor();
    // Past the entry the text cursor is in: F8 on a marked entry goes on to
    // the next one.
    const EntrySpan here =
        entryAround(document, backward ? cursor.selectionStart() : cursor.selectionEnd());
    int mark = backward ? searchMark(here.start, true) : searchMark(here.end, false);
    if (mark < 0) // round the end
        mark = searchMark(backward ? int(document.characterCount()) : 0, backward);
    if (mark < 0)
        return false;
    EntrySpan entry = entryAround(document, mark);
    if (entry.start == entry.end)
        entry.end = entry.start + 1;
    cursor.setPosition(entry.start);
    cursor.setPosition(entry.end, QTextCursor::KeepAnchor);
    m_edit.setTextCursor(cursor);
    m_edit.ensureCursorVisible();
    return true;
}

int ListProblems::nearestMark(int from, bool backward) const
{
    // In the marks counted: the first at `from` or after, or the last before.
    const auto after =
        std::lower_bound(m_counted.cbegin(), m_counted.cend(), from,
                         [](const Mark& mark, int at) { return mark.position < at; });
    if (backward)
        return after == m_counted.cbegin() ? -1 : std::prev(after)->position;
    return after == m_counted.cend() ? -1 : after->position;
}

int ListProblems::searchMark(int from, bool backward) const
{
    if (m_fresh)
        return nearestMark(from, backward);
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
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    QStringList reasons;
    for (const LintFinding& finding : m_marks.findings(std::max(0, from - 1), to + 1)) {
        if (finding.position <= to && from <= finding.position + finding.length &&
            !reasons.contains(finding.message))
            reasons << finding.message;
    }
    const QString reason = reasons.join(u"; "_s);
    const QString count = m_count <= 0   ? QString()
                          : m_count == 1 ? u"1 problem"_s
                                         : u"%1 problems"_s.arg(m_count);
    const QString status = reason.isEmpty() ? count : count + u": "_s + reason;
    m_status.setText(m_status.fontMetrics().elidedText(status, Qt::ElideRight, m_status.width()));
    m_status.setAccessibleName(status);
    m_status.setToolTip(status == m_status.text() ? QString() : status);
    m_edit.setAccessibleDescription(reason.isEmpty() ? m_description
                                                     : reason + u". "_s + m_description);
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
    if (watched == &m_status && event->type() == QEvent::Resize)
        showStatus();
    return false;
}

} // namespace scp
