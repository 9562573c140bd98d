// The lint's marks drawn on a list box, and their reasons as tooltips.

#include "lists/list_marks.h"

#include "lists/document_lint_text.h"
#include "lists/list_document.h"
#include "lists/list_edit.h"

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// A document up to this many characters is read at once (a millisecond or
// two); a longer one in idle passes of this many characters each, a few
// milliseconds apiece, so input waits no longer than that.
constexpr int kReadAtOnce = 1 << 16;
constexpr qsizetype kReadPerPass = 1 << 18;

QTextCharFormat markFormat()
{
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

} // namespace

ListMarks::ListMarks(ListEdit& edit, ListId list, PictureFolder* pictures)
    : QObject(&edit), m_edit(edit), m_rules(lintRules(list)), m_pictures(pictures)
{
    m_reader.setSingleShot(true);
    connect(&m_reader, &QTimer::timeout, this, &ListMarks::readOn);
    if (m_pictures && list != ListId::Items) {
        // The folder is not watched: a picture rewritten in place changes no
        // folder entry, and the rows on screen, the only ones marked, cost a
        // stat a picture to look at.
        connect(&m_pictureCheck, &QTimer::timeout, this, &ListMarks::recheckPictures);
        m_pictureCheck.start(kPictureCheckMs);
    }
    followDocument();
    const ListDocument& document = edit.list();
    connect(&document, &ListDocument::documentReplaced, this, &ListMarks::followDocument);
    connect(&document, &ListDocument::positionsChanged, this, &ListMarks::documentChanged);
    // The event loop runs while a Load fills a new document: no reading of
    // the list about to be replaced. The new one is read once it is shown;
    // the old one, should undo bring it back, where its reading left off.
    connect(&document, &ListDocument::beingReplacedChanged, this, [this](bool beingReplaced) {
        if (beingReplaced)
            m_reader.stop();
    });
    // The viewport gets the paint and tooltip events; a filter installed
    // last sees them first, before the box paints.
    m_viewport = edit.viewport();
    m_viewport->installEventFilter(this);
}

ListMarks::~ListMarks() = default;

QList<LintFinding> ListMarks::findings(qsizetype from, qsizetype to) const
{
    if (m_shown.document != m_edit.document() || !m_shown.lint)
        return {};
    return m_shown.lint->findings(from, to);
}

bool ListMarks::isRead() const
{
    return m_shown.lint->isRead();
}

EntrySpan ListMarks::entryAround(int position) const
{
    QTextDocument& document = *m_edit.document();
    if (m_shown.document != &document || !m_shown.lint || !m_shown.lint->isRead())
        return scp::entryAround(document, position);
    const auto [start, end] =
        m_shown.lint->entrySpan(std::clamp<qsizetype>(position, 0, m_shown.lint->size()));
    return {int(start), int(end)};
}

void ListMarks::followDocument()
{
    QTextDocument* document = m_edit.document();
    m_marksStale = true;
    if (document == m_shown.document)
        return;
    std::swap(m_shown, m_replaced);
    disconnect(m_replacedGone);
    if (m_replaced.document) {
        // Kept only while the box keeps that document for undo.
        m_replacedGone = connect(m_replaced.document, &QObject::destroyed, this,
                                 [this] { m_replaced = Reading(); });
    }
    if (document != m_shown.document) {
        m_shown.document = document;
        readWholeDocument();
    } else if (!m_shown.lint->isRead()) {
        m_reader.start(); // a reading left off when its document was replaced
    }
    Q_EMIT findingsChanged();
}

void ListMarks::readWholeDocument()
{
    if (!m_shown.lint)
        m_shown.lint = std::make_unique<ListLint>(m_rules, m_pictures);
    auto text = std::make_unique<DocumentLintText>(*m_edit.document());
    m_shown.lint->startReading(*text);
    m_shown.text = std::move(text);
    if (m_shown.text->size() <= kReadAtOnce)
        m_shown.lint->readMore(kReadAtOnce);
    else
        m_reader.start();
    m_marksStale = true;
    Q_EMIT findingsChanged();
}

void ListMarks::readOn()
{
    if (m_shown.lint->readMore(kReadPerPass)) {
        m_marksStale = true;
        m_edit.viewport()->update();
        Q_EMIT findingsChanged();
        return;
    }
    m_reader.start();
}

void ListMarks::documentChanged(int position, int removed, int added)
{
    // An edit that reaches the end of the document is reported with the
    // document's own last paragraph break counted in on both sides.
    const qsizetype held = m_shown.lint->size();
    const qsizetype past = position + removed - held;
    if (past > 0) {
        removed -= int(past);
        added -= int(past);
    }
    const int length = m_edit.document()->characterCount() - 1;
    if (position < 0 || removed < 0 || added < 0 || held - removed + added != length) {
        readWholeDocument(); // not an edit of the text held: start afresh
        return;
    }
    m_shown.lint->edited(position, removed, added);
    m_marksStale = true;
    Q_EMIT findingsChanged();
}

void ListMarks::markVisibleRows()
{
    // From the first character on screen to the last, not their whole
    // paragraphs: a paragraph holds a few dozen entries, most out of sight.
    const QRect area = m_edit.viewport()->rect();
    const int from = m_edit.cursorForPosition(area.topLeft()).position();
    const int to = m_edit.cursorForPosition(area.bottomRight()).position() + 1;
    if (!m_marksStale && from == m_markedFrom && to == m_markedTo)
        return;
    m_marksStale = false;
    m_markedFrom = from;
    m_markedTo = to;

    static const QTextCharFormat format = markFormat();
    QList<QTextEdit::ExtraSelection> marks;
    for (const LintFinding& finding : m_shown.lint->findings(from, to)) {
        QTextCursor cursor(m_edit.document());
        cursor.setPosition(int(finding.position));
        cursor.setPosition(int(finding.position + finding.length), QTextCursor::KeepAnchor);
        marks.append({cursor, format});
    }
    // Qt repaints only the marks that changed.
    m_edit.setExtraSelections(marks);
}

void ListMarks::recheckPictures()
{
    if (!m_edit.isVisible() || m_edit.list().isBeingReplaced() ||
        m_shown.document != m_edit.document())
        return;
    m_marksStale = true;
    markVisibleRows(); // repaints the marks that changed, if any
}

QRect ListMarks::characterRect(int position) const
{
    QTextCursor cursor(m_edit.document());
    cursor.setPosition(position);
    QRect rect = m_edit.cursorRect(cursor);
    cursor.setPosition(position + 1);
    const QRect next = m_edit.cursorRect(cursor);
    // The last character of a row: its right edge is not the next caret's.
    const int right = next.top() == rect.top() && next.left() > rect.left()
                          ? next.left()
                          : rect.left() + m_edit.fontMetrics().horizontalAdvance(
                                              m_edit.document()->characterAt(position));
    rect.setRight(right - 1);
    return rect;
}

bool ListMarks::showToolTip(const QPoint& at, const QPoint& globalAt)
{
    // The nearest caret position is on either side of the character under
    // the pointer.
    const int nearest = m_edit.cursorForPosition(at).position();
    for (const int position : {nearest, nearest - 1}) {
        if (position < 0 || position >= m_shown.lint->size())
            continue;
        const QRect rect = characterRect(position);
        if (!rect.contains(at))
            continue;
        QStringList messages;
        for (const LintFinding& finding : m_shown.lint->findings(position, position + 1))
            messages << finding.message;
        if (messages.isEmpty())
            break;
        QToolTip::showText(globalAt,
                           Qt::convertFromPlainText(messages.join(u'\n'), Qt::WhiteSpaceNormal),
                           m_edit.viewport(), rect);
        return true;
    }
    QToolTip::hideText();
    return false;
}

bool ListMarks::eventFilter(QObject* watched, QEvent* event)
{
    // Compared with the viewport as it was when filtered: events still come
    // while the box is being destroyed, when it can no longer be asked.
    if (watched == m_viewport) {
        if (event->type() == QEvent::Paint) {
            markVisibleRows();
        } else if (event->type() == QEvent::ToolTip) {
            const auto* help = static_cast<QHelpEvent*>(event);
            return showToolTip(help->pos(), help->globalPos());
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace scp
