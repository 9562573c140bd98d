// A list's document: whole texts and their undo, its readings, the breaks
// an edit moves, and whether it is saved.

#include "lists/list_document.h"

#include "lists/list_filling.h"
#include "lists/row_breaks.h"

#include "script/entry_lists.h"
#include "text/line_ends.h"

#include <QPlainTextDocumentLayout>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

using namespace rows;

// The undo step that brings a replaced document back, while it is kept.
class ListDocument::ReplacedDocument final : public QAbstractUndoItem {
public:
    ReplacedDocument(ListDocument& list, QTextDocument* replaced)
        : m_list(list), m_replaced(replaced)
    {
    }
    void undo() override { m_list.restoreReplaced(m_replaced); }
    // Not reached: the document this step belongs to goes when it is undone.
    void redo() override {}

private:
    ListDocument& m_list;
    QPointer<QTextDocument> m_replaced;
};

ListDocument::ListDocument(const QString& text, int spacer, QObject* parent)
    : QObject(parent), m_spacer(spacer)
{
    QTextDocument* first = filledWith(reinterpret_cast<const char16_t*>(text.constData()),
                                      text.size(), spacer, [](qsizetype) { return true; });
    first->setParent(this); // as every later one is
    show(first, false);
    markSaved();
}

ListDocument::~ListDocument() = default;

QChar ListDocument::standInBefore(const QTextBlock& block)
{
    return QChar(standInOf(block.charFormat()));
}

bool ListDocument::isRowBreakAt(const QTextDocument& document, int position)
{
    return document.characterAt(position) == QChar::ParagraphSeparator &&
           standInBefore(document.findBlock(position + 1)) == u' ';
}

bool ListDocument::isChunkBreakAt(const QTextDocument& document, int position)
{
    if (document.characterAt(position) != QChar::ParagraphSeparator)
        return false;
    const QChar standsFor = standInBefore(document.findBlock(position + 1));
    return !standsFor.isNull() && standsFor != u' ';
}

QString ListDocument::text() const
{
    return text(0, positionCount());
}

QString ListDocument::text(int from, int to) const
{
    QString out;
    out.reserve(to - from);
    walk(
        *m_document, from, to, [&](QStringView characters) { out += characters; },
        [&](char16_t standsFor) { out += QChar(standsFor); }, [&] { out += u"\r\n"_s; });
    return out;
}

void ListDocument::positionText(const QTextDocument& document, qsizetype from, qsizetype to,
                                QString& out)
{
    out.clear();
    out.reserve(to - from);
    walk(
        document, from, to, [&](QStringView characters) { out += characters; },
        [&](char16_t standsFor) { out += QChar(standsFor); }, [&] { out += u'\n'; });
}

int ListDocument::positionCount() const
{
    return m_document->characterCount() - 1;
}

Cp1252Encoding ListDocument::encoded() const
{
    // At most two bytes a position (a line end); what is not written is
    // never touched, and stays unused rather than copied to a tighter block.
    Cp1252Encoding result;
    result.bytes = QByteArray(2 * qsizetype(positionCount()), Qt::Uninitialized);
    const EncodedPart part = encodePart(0, positionCount(), result.bytes.data());
    result.badIndex = part.badIndex;
    if (!result.ok())
        result.bytes = QByteArray();
    else
        result.bytes.resize(part.size);
    return result;
}

TextBox::EncodedPart ListDocument::encodePart(qsizetype from, qsizetype to, char* out) const
{
    EncodedPart part;
    char* const start = out;
    qsizetype index = 0; // in the part's text
    auto characters = [&](QStringView characters) {
        if (part.badIndex >= 0)
            return;
        const qsizetype bad = encodeCp1252To(characters, out);
        if (bad >= 0)
            part.badIndex = index + bad;
        out += characters.size();
        index += characters.size();
    };
    walk(
        *m_document, from, to, characters,
        [&](char16_t standsFor) { characters(QStringView(&standsFor, 1)); },
        [&] {
            *out++ = '\r';
            *out++ = '\n';
            index += 2;
        });
    part.size = out - start;
    return part;
}

bool ListDocument::isEmpty() const
{
    return m_document->isEmpty();
}

bool ListDocument::holds(const QString& text) const
{
    // A line end is two characters of the text and one position.
    return positionCount() <= text.size() && this->text() == text;
}

void ListDocument::insertText(QTextCursor& cursor, const QString& text)
{
    insertListText(cursor, text, -1);
}

QTextDocument* ListDocument::filledDocument(QByteArrayView bytes, int spacer,
                                            const std::function<bool(qsizetype done)>& filled)
{
    return filledWith(bytes.data(), bytes.size(), spacer, filled);
}

void ListDocument::setText(const QString& text)
{
    adopt(filledWith(reinterpret_cast<const char16_t*>(text.constData()), text.size(), m_spacer,
                     [](qsizetype) { return true; }));
}

void ListDocument::adopt(QTextDocument* fresh)
{
    fresh->setParent(this);
    fresh->setDefaultFont(m_document->defaultFont());
    fresh->setDefaultTextOption(m_document->defaultTextOption());
    fresh->setDocumentMargin(m_document->documentMargin());
    QTextDocument* old = m_document;
    delete m_replaced.data();
    if (fresh->isEmpty() || old->characterCount() - 1 <= kKeptCharacters) {
        fresh->appendUndoItem(new ReplacedDocument(*this, old));
        m_replaced = old;
        show(fresh, false);
    } else {
        show(fresh, false);
        delete old;
    }
}

void ListDocument::show(QTextDocument* document, bool byUndo)
{
    if (m_document != nullptr)
        m_document->disconnect(this);
    // The layout a list box needs; set here, as a document filled on
    // another thread cannot have had it. One that undo brings back was
    // shown before and has it still (asking a document for its layout
    // would make it one of Qt's rich-text layouts first).
    if (!byUndo)
        document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    m_document = document;
    m_unsettled.clear();
    connect(document, &QTextDocument::contentsChange, this, &ListDocument::noteChange);
    connect(document, &QTextDocument::contentsChange, this, &ListDocument::positionsChanged);
    connect(document, &QTextDocument::modificationChanged, this, &ListDocument::updateUnsaved);
    Q_EMIT documentReplaced(byUndo);
    updateUnsaved();
}

void ListDocument::restoreReplaced(QTextDocument* replaced)
{
    if (replaced == nullptr || replaced != m_replaced)
        return;
    m_replaced = nullptr;
    // The document shown is in the middle of this undo step: it goes later.
    m_document->deleteLater();
    show(replaced, true);
}

void ListDocument::appendText(const QString& text)
{
    if (text.isEmpty())
        return;
    Q_EMIT appending();
    // Inserted at the very end: the document re-lays out only the last
    // paragraph and the new ones, and the spacer before an entry ends in a row
    // break. The edit block keeps it one undo step of its own, apart from
    // typing before, and is opened before the move: inside it the cursor does
    // not measure its x position, which would lay the old last paragraph out.
    QTextCursor end(m_document);
    end.beginEditBlock();
    end.movePosition(QTextCursor::End);
    const int oldEnd = end.position();
    insertListText(end, normalizeLineEnds(text), trailingSpaces(*m_document));
    // A run ending the list before may end a row now.
    settle({{oldEnd, oldEnd}});
    end.endEditBlock();
    Q_EMIT appended();
}

void ListDocument::noteChange(int position, int removed, int added)
{
    if (m_settling)
        return;
    ++m_edits;
    // Undo and redo bring back states that had their breaks; settling one
    // would be an edit, and would drop what redo still holds. Only they
    // leave something to redo.
    if (m_document->availableRedoSteps() > 0) {
        m_unsettled.clear();
        return;
    }
    if (m_unsettled.empty())
        QMetaObject::invokeMethod(this, &ListDocument::settleBreaks, Qt::QueuedConnection);
    // Ranges noted before move with the text after them.
    auto moved = [&](int at) {
        return at <= position ? at : std::max(position, at - removed) + added;
    };
    for (auto& [first, last] : m_unsettled) {
        first = moved(first);
        last = moved(last);
    }
    // A long insertion went in by the rule, which left only its ends to
    // settle.
    constexpr int kScannedWhole = 256;
    if (added <= kScannedWhole) {
        m_unsettled.emplace_back(position, position + added);
    } else {
        m_unsettled.emplace_back(position, position);
        m_unsettled.emplace_back(position + added, position + added);
    }
}

bool ListDocument::keyMovesBreaks(int position, QChar typed) const
{
    const RunScan scan(*m_document);
    const int most = m_spacer;
    if (!typed.isNull()) {
        const int before = scan.spaces(position, -1, most), after = scan.spaces(position, 1, most);
        if (typed == u' ')
            return before + after + 1 >= m_spacer;
        if (before > 0 && after > 0)
            return before + after >= m_spacer; // a run parted
        // A run at a line's edge comes to stand between two characters.
        return (after >= m_spacer && !scan.isOther(position - 1)) ||
               (before >= m_spacer && !scan.isOther(position));
    }
    // The character at `position` deleted.
    if (scan.at(position) == u' ')
        return scan.spaces(position, -1, most) + 1 + scan.spaces(position + 1, 1, most) >= m_spacer;
    const int before = scan.spaces(position, -1, most), after = scan.spaces(position + 1, 1, most);
    if (before > 0 && after > 0)
        return before + after >= m_spacer; // two runs joined
    return (after >= m_spacer && !scan.isOther(position - 1)) ||
           (before >= m_spacer && !scan.isOther(position + 1));
}

void ListDocument::settleNear(int position)
{
    settle({{std::max(0, position - 1), position + 1}});
}

void ListDocument::settleBreaks()
{
    if (m_unsettled.empty() || m_settling)
        return;
    settle(std::exchange(m_unsettled, {}));
}

void ListDocument::settle(const std::vector<std::pair<int, int>>& ranges)
{
    std::vector<std::pair<int, QChar>> changes;
    const RunScan scan(*m_document);
    for (const auto& [first, last] : ranges)
        scan.settle(first, last, m_spacer, changes);
    if (changes.empty())
        return;
    std::sort(changes.begin(), changes.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    changes.erase(std::unique(changes.begin(), changes.end()), changes.end());
    const QScopedValueRollback settling(m_settling, true);
    QTextCursor cursor(m_document);
    cursor.joinPreviousEditBlock();
    for (const auto& [position, becomes] : changes) {
        // The new character goes in after the old, then the old goes: a
        // caret on either side of it stays on that side.
        cursor.setPosition(position + 1);
        cursor.insertText(QString(becomes), QTextCharFormat());
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.endEditBlock();
}

bool ListDocument::isUnsaved() const
{
    return m_document != m_saved || m_document->isModified();
}

void ListDocument::markSaved()
{
    m_saved = m_document;
    m_document->setModified(false);
    updateUnsaved();
}

void ListDocument::markSaved(const Held& written)
{
    if (held() == written)
        markSaved();
}

void ListDocument::updateUnsaved()
{
    if (isUnsaved() != m_unsaved) {
        m_unsaved = !m_unsaved;
        Q_EMIT unsavedChanged(m_unsaved);
    }
}

void ListDocument::setBeingReplaced(bool beingReplaced)
{
    if (beingReplaced != m_beingReplaced) {
        m_beingReplaced = beingReplaced;
        Q_EMIT beingReplacedChanged(beingReplaced);
    }
}

} // namespace scp
