// A list's document: the row-break rule, its one walk, whole texts and
// their undo, and whether it is saved.

#include "lists/list_document.h"

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

namespace {

// A row break is a paragraph break whose character carries this object type,
// a chunk break one carrying kChunkBreakObject plus the character it stands
// for. Typed text takes the format beside the caret, which after a break is
// the break's own; QTextCursor::insertText drops the object type from it,
// and Enter and paste, where Qt would hand the format on whole, are done with
// a plain format.
constexpr int kRowBreakObject = QTextFormat::UserObject + 1;
constexpr int kChunkBreakObject = QTextFormat::UserObject + 2;

// The document's own record of the list's spacer, which the rule needs
// wherever text goes in.
constexpr char kSpacerProperty[] = "scpSpacer";

int spacerOf(const QTextDocument& document)
{
    const QVariant spacer = document.property(kSpacerProperty);
    return spacer.isValid() ? spacer.toInt() : kGumpTileSpacerWidth;
}

QTextCharFormat breakFormat(int objectType)
{
    QTextCharFormat format;
    format.setObjectType(objectType);
    return format;
}

QTextCharFormat chunkFormat(QChar standsFor)
{
    return breakFormat(kChunkBreakObject + standsFor.unicode());
}

// What a format makes of the paragraph break carrying it: a space, a token's
// character, or nothing (0, a real line end).
char16_t standInOf(const QTextFormat& format)
{
    const int type = format.objectType();
    if (type == kRowBreakObject)
        return u' ';
    if (type >= kChunkBreakObject && type <= kChunkBreakObject + 0xFFFF)
        return char16_t(type - kChunkBreakObject);
    return 0;
}

// Tells breaks from real line ends. The format of the break before a block
// is that block's character format, looked up here by index: a long list is
// read block by block, and that keeps reading it cheap.
class Breaks {
public:
    explicit Breaks(const QTextDocument& document)
    {
        const QList<QTextFormat> formats = document.allFormats();
        m_standIns.reserve(formats.size());
        for (const QTextFormat& format : formats)
            m_standIns.push_back(standInOf(format));
    }
    char16_t before(const QTextBlock& block) const
    {
        const int format = block.charFormatIndex();
        return format >= 0 && format < qsizetype(m_standIns.size()) ? m_standIns[format] : 0;
    }

private:
    std::vector<char16_t> m_standIns;
};

// The one walk over a document range [from, to): `characters` gets the
// characters in the range between breaks, `standIn` each break (line
// separator or paragraph break) with the character it stands for, `lineEnd`
// each real line end.
template <typename Characters, typename StandIn, typename LineEnd>
void walk(const QTextDocument& document, qsizetype from, qsizetype to, Characters characters,
          StandIn standIn, LineEnd lineEnd)
{
    const Breaks breaks(document);
    QTextBlock block = document.findBlock(int(from));
    // Each block starts where the one before ends: asking a block where it
    // starts costs a walk up the document's tree.
    for (qsizetype start = block.position(); block.isValid() && start < to;) {
        const qsizetype breakAt = start + block.length() - 1;
        const qsizetype first = std::max(from, start), last = std::min(to, breakAt);
        if (last > first) {
            const QString text = block.text();
            QStringView rest = QStringView(text).sliced(first - start, last - first);
            for (qsizetype at; (at = rest.indexOf(QChar::LineSeparator)) >= 0;) {
                characters(rest.first(at));
                standIn(u' ');
                rest = rest.sliced(at + 1);
            }
            characters(rest);
        }
        block = block.next();
        if (breakAt < to && block.isValid()) {
            const char16_t standsFor = breaks.before(block);
            if (standsFor != 0)
                standIn(standsFor);
            else
                lineEnd();
        }
        start = breakAt + 1;
    }
}

// How many spaces end the document's last line, or -1 when nothing but
// spaces stands on that row: a run only ends in a break between two other
// characters.
qsizetype trailingSpaces(const QTextDocument& document)
{
    const int rowStart = document.lastBlock().position();
    qsizetype run = 0;
    for (int at = document.characterCount() - 2; at >= rowStart; --at, ++run) {
        if (document.characterAt(at) != u' ')
            return run;
    }
    return -1;
}

// Text without paragraph breaks (a list of lines) goes in a stretch of lines
// of about kInsertStretch characters at a time.
constexpr qsizetype kInsertStretch = qsizetype(1) << 16;

QString textPiece(const char16_t* text, qsizetype size)
{
    // Only read while inserted, which copies it into the document.
    return QString::fromRawData(reinterpret_cast<const QChar*>(text), size);
}

QString textPiece(const char* bytes, qsizetype size)
{
    return decodeCp1252(QByteArrayView(bytes, size));
}

QChar standInFor(char16_t c)
{
    return QChar(c);
}

QChar standInFor(char byte)
{
    return decodeCp1252(QByteArrayView(&byte, 1)).at(0);
}

// Inserts list text (any line ends: Qt makes CR LF, CR and LF one paragraph
// break each) at the cursor with a plain format. The last space of a run of
// at least the document's spacer between two other characters of a line
// becomes a break: a row break once the row it ends holds
// ListDocument::kRowLength characters, a line separator before that. A
// paragraph that reaches ListDocument::kChunkLength characters otherwise
// ends in a chunk break. `spacesBefore` is the run already before the cursor,
// as trailingSpaces, and `rowBefore` the characters of its paragraph before
// the cursor. `inserted` hears how far the insertion has got after each
// paragraph break, and stops it by answering false.
template <typename Ch, typename Progress>
bool insertListText(QTextCursor& cursor, const Ch* text, qsizetype size, qsizetype spacesBefore,
                    qsizetype rowBefore, Progress inserted)
{
    const QTextCharFormat plain;
    const QTextCharFormat rowBreak = breakFormat(kRowBreakObject);
    const qsizetype spacer = spacerOf(*cursor.document());
    bool afterText = spacesBefore >= 0;
    qsizetype run = qMax<qsizetype>(0, spacesBefore);
    qsizetype rowStart = -rowBefore;
    qsizetype pending = 0;                 // first character not yet inserted
    std::vector<qsizetype> lineSeparators; // among the pending ones
    auto flush = [&](qsizetype to) {
        if (to > pending) {
            QString piece = textPiece(text + pending, to - pending);
            for (const qsizetype at : lineSeparators)
                piece[at - pending] = QChar::LineSeparator;
            cursor.insertText(piece, plain);
        }
        lineSeparators.clear();
    };
    // The character at `at` becomes a paragraph break of `format`.
    auto breakParagraph = [&](qsizetype at, const QTextCharFormat& format) {
        flush(at);
        cursor.insertBlock(QTextBlockFormat(), format);
        pending = rowStart = at + 1;
        return inserted(pending);
    };
    for (qsizetype i = 0; i < size; ++i) {
        const Ch c = text[i];
        if (c == Ch(' ')) {
            ++run;
            if (i - rowStart >= ListDocument::kChunkLength && !breakParagraph(i, rowBreak))
                return false;
            continue;
        }
        if (c == Ch('\r') || c == Ch('\n')) {
            afterText = false;
            rowStart = i + 1;
            // A list of lines goes in a stretch of lines at a time.
            if (c == Ch('\n') && i + 1 - pending >= kInsertStretch) {
                flush(i + 1);
                pending = i + 1;
                if (!inserted(pending))
                    return false;
            }
        } else if (afterText && run >= spacer && i > 0 && text[i - 1] == Ch(' ') &&
                   i - 1 >= pending) {
            if (i - 1 - rowStart >= ListDocument::kRowLength) {
                if (!breakParagraph(i - 1, rowBreak))
                    return false;
            } else {
                lineSeparators.push_back(i - 1);
            }
        } else if (i - rowStart >= ListDocument::kChunkLength && !QChar::isSurrogate(c)) {
            // Two halves of one character stay together.
            if (!breakParagraph(i, chunkFormat(standInFor(c))))
                return false;
            run = 0;
            afterText = true;
            continue;
        }
        afterText = c != Ch('\r') && c != Ch('\n');
        run = 0;
    }
    flush(size);
    return true;
}

void insertListText(QTextCursor& cursor, const QString& text, qsizetype spacesBefore)
{
    insertListText(cursor, reinterpret_cast<const char16_t*>(text.constData()), text.size(),
                   spacesBefore, cursor.positionInBlock(), [](qsizetype) { return true; });
}

template <typename Ch, typename Progress>
QTextDocument* filledWith(const Ch* text, qsizetype size, int spacer, Progress inserted)
{
    auto* fresh = new QTextDocument;
    fresh->setProperty(kSpacerProperty, spacer);
    fresh->setUndoRedoEnabled(false);
    QTextCursor cursor(fresh);
    cursor.beginEditBlock();
    const bool whole = insertListText(cursor, text, size, -1, 0, inserted);
    cursor.endEditBlock();
    if (!whole) {
        delete fresh;
        return nullptr;
    }
    fresh->setUndoRedoEnabled(true);
    return fresh;
}

// The longest run of spaces whose breaks an edit moves: longer ones are not
// what a person types, and are left as they went in.
constexpr int kSettledRun = int(ListDocument::kChunkLength);

// An edited range, widened to the runs of spaces it touches.
class RunScan {
public:
    explicit RunScan(const QTextDocument& document)
        : m_document(document), m_breaks(document), m_end(document.characterCount() - 1)
    {
    }
    // ' ' for a space, or a break standing for one; another character it
    // stands for, 0 for a real line end; the character itself otherwise.
    char16_t at(int position) const
    {
        const QChar c = m_document.characterAt(position);
        if (c == QChar::LineSeparator)
            return u' ';
        if (c == QChar::ParagraphSeparator)
            return m_breaks.before(m_document.findBlock(position + 1));
        return c.unicode();
    }
    bool isOther(int position) const
    {
        if (position < 0 || position >= m_end)
            return false;
        const char16_t c = at(position);
        return c != 0 && c != u' ';
    }
    // How many spaces run from `position` on (step 1) or back from before it
    // (step -1), counted up to `most`.
    int spaces(int position, int step, int most) const
    {
        int count = 0;
        for (int at = step > 0 ? position : position - 1;
             at >= 0 && at < m_end && count < most && this->at(at) == u' '; at += step)
            ++count;
        return count;
    }
    // The characters to change in [from, to] and the runs next to it, each
    // with what it becomes.
    void settle(int from, int to, int spacer, std::vector<std::pair<int, QChar>>& changes) const
    {
        int start = from;
        while (start > 0 && from - start <= kSettledRun && at(start - 1) == u' ')
            --start;
        int end = std::min(to, m_end);
        while (end < m_end && end - to <= kSettledRun && at(end) == u' ')
            ++end;
        // A run cut off by the bound is a long one.
        const bool cutBefore = start > 0 && at(start - 1) == u' ';
        const bool cutAfter = end < m_end && at(end) == u' ';
        for (int position = start; position < end;) {
            if (at(position) != u' ') {
                ++position;
                continue;
            }
            const int runStart = position;
            while (position < end && at(position) == u' ')
                ++position;
            if (position - runStart > kSettledRun || (runStart == start && cutBefore) ||
                (position == end && cutAfter))
                continue;
            const bool between = isOther(runStart - 1) && isOther(position);
            const bool ends = between && position - runStart >= spacer;
            for (int p = runStart; p < position; ++p) {
                const QChar c = m_document.characterAt(p);
                if (p == position - 1 && ends) {
                    if (c == u' ')
                        changes.emplace_back(p, QChar::LineSeparator);
                } else if (c != u' ') {
                    changes.emplace_back(p, u' ');
                }
            }
        }
    }

private:
    const QTextDocument& m_document;
    const Breaks m_breaks;
    const int m_end;
};

} // namespace

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
    // At most two bytes a position (a line end); the rest is given back.
    Cp1252Encoding result;
    result.bytes = QByteArray(2 * qsizetype(positionCount()), Qt::Uninitialized);
    char* const start = result.bytes.data();
    char* out = start;
    qsizetype index = 0; // in text()
    auto characters = [&](QStringView characters) {
        if (result.badIndex >= 0)
            return;
        const qsizetype bad = encodeCp1252To(characters, out);
        if (bad >= 0)
            result.badIndex = index + bad;
        out += characters.size();
        index += characters.size();
    };
    walk(
        *m_document, 0, positionCount(), characters,
        [&](char16_t standsFor) { characters(QStringView(&standsFor, 1)); },
        [&] {
            *out++ = '\r';
            *out++ = '\n';
            index += 2;
        });
    if (result.badIndex >= 0)
        result.bytes = QByteArray();
    else
        result.bytes.resize(out - start);
    return result;
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
