#pragma once

// One list as the editor holds it, with no widget: its text in a text
// document, the document a Load or a Clear replaced (for undo), and whether
// the list is saved.

#include "script/entry_lists.h"
#include "text/text_box.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <utility>
#include <vector>

class QTextBlock;
class QTextCursor;
class QTextDocument;

namespace scp {

// A list is one long line: entries separated by runs of spaces. On screen
// each entry starts a row of its own, whatever the width and the zoom: the
// last space of every run of at least the list's spacer (what Add writes)
// between two other characters of a line is held as a break that stands for
// that space. Within a paragraph it is a line separator. Qt lays a paragraph
// out whole on every edit, so held as one paragraph a list of 10,000 entries
// would cost tens of milliseconds an Add or a keystroke; the break is
// therefore a paragraph break (a row break) once its row holds kRowLength
// characters, so each paragraph is a few dozen entries. Every paragraph
// costs the document and the box some 470 bytes whatever its length; a few
// dozen entries to each keeps a loaded list's memory close to its text's,
// and the walk of a save over them short, while an edit lays out one
// paragraph of at most a few thousand characters (some 0.2 ms more for each
// 2,048 of them).
//
// Qt lays a long word out in time that grows with its square, and a
// paragraph's layout holds some 30 bytes a character: a stretch of a
// paragraph that reaches kChunkLength characters with no break in it ends in
// a chunk break, a paragraph break standing for the character it replaces (a
// space is then a row break). The box draws that character at the end of the
// row.
//
// A break is one character, so caret steps, Delete and Backspace treat it as
// the character it stands for. A paragraph break is told from a real line end
// by its own character format, which belongs to that character alone: deleted
// with it, restored with it by undo, never handed on to text the user types,
// enters or pastes. No line separator of the list's own is ever in the
// document: a typed or pasted one is a line end, as Shift+Enter is.
//
// Breaks follow the text: an edit that makes or unmakes a spacer-long run
// (typing, deleting, pasting) moves them in the same undo step, so that
// every state undo and redo go through already has them where they belong.
//
// A whole text (Load, Clear) goes into a new document, filled while hidden
// without recording undo steps, which then replaces the list's. Undo brings
// the replaced document back, its own history with it, when it held at most
// kKeptCharacters characters or the new text is empty (a Clear costs no more
// memory than the list did); otherwise the replaced list is freed at once
// and cannot be brought back. At most one replaced document is kept.
//
// The list is saved while it is the document that held it when it was last
// loaded or saved, at the undo step it was at then (undo back there counts
// as saved).
//
// Every reading walks the document's blocks once: text() gives each real line
// end as CR LF, positionText() as one LF, and each break as the character it
// stands for, so that one character stands for one document position (what
// the lint and the recovery journal read).
// Qt's own plain-text export would change characters (no-break space to a
// space, line and paragraph separators to LF); the raw document is read
// instead.
class ListDocument final : public QObject, public TextBox {
    Q_OBJECT

public:
    // The shortest row a row break ends.
    static constexpr qsizetype kRowLength = 4096;
    // The longest stretch of a paragraph with no break in it that text is put
    // in as.
    static constexpr qsizetype kChunkLength = 2048;
    // The longest replaced list undo can still bring back, unless the list
    // that replaced it is empty.
    static constexpr qsizetype kKeptCharacters = qsizetype(1) << 20;

    // `spacer`: the shortest run of spaces that ends a row on screen.
    explicit ListDocument(const QString& text = QString(), int spacer = kGumpTileSpacerWidth,
                          QObject* parent = nullptr);
    ~ListDocument() override;

    // The document that holds the list; another one once a whole text is put
    // in or undo brings a replaced list back (documentReplaced()).
    QTextDocument* document() const { return m_document; }

    QString text() const override;
    // Replaces the list's document; undo brings the old one back.
    void setText(const QString& text) override;
    // Inserted at the very end: only the last row and the new ones are laid
    // out again; a spacer before an entry ends in a row break.
    void appendText(const QString& text) override;
    bool isEmpty() const override;
    // A list longer than `text` is told from it without reading it.
    bool holds(const QString& text) const override;
    // Straight from the document, a block at a time.
    Cp1252Encoding encoded() const override;
    qsizetype encodingPositions() const override { return positionCount(); }
    EncodedPart encodePart(qsizetype from, qsizetype to, char* out) const override;

    // The list text of the document range [from, to), CR LF line ends.
    QString text(int from, int to) const;
    // The document range [from, to), one character a position: each row
    // break as its space, each line end as one LF. `out` is reused.
    static void positionText(const QTextDocument& document, qsizetype from, qsizetype to,
                             QString& out);
    // How many positions the list has (less the end a document always has).
    int positionCount() const;

    // Whether the document character at `position` is a row break (a
    // paragraph break standing for a space), or a chunk break.
    static bool isRowBreakAt(const QTextDocument& document, int position);
    static bool isChunkBreakAt(const QTextDocument& document, int position);
    // What the paragraph break before `block` stands for: a space, a token's
    // character, or none (a real line end).
    static QChar standInBefore(const QTextBlock& block);
    // List text (any line ends) typed, entered or pasted at `cursor`, with a
    // plain format and breaks where the rule puts them.
    static void insertText(QTextCursor& cursor, const QString& text);

    // A whole list from a file's Windows-1252 bytes, in a document of its own
    // with no parent, no layout and no undo steps: nothing in it reaches for
    // fonts or the window system, so any thread may fill it. `filled` hears
    // how far it has got and stops it by answering false (nullptr then).
    static QTextDocument* filledDocument(QByteArrayView bytes, int spacer,
                                         const std::function<bool(qsizetype done)>& filled);
    // Makes a filled document the list's, in place of the old, as setText()
    // does. It must belong to this object's thread.
    void adopt(QTextDocument* filled);

    // Moves the breaks around what was edited since the last call to where
    // the text puts them, in the edit's own undo step. A box calls it after
    // each event it handles; it also runs once control returns to the event
    // loop, for edits made by other means.
    void settleBreaks();
    // Whether typing `typed` at `position`, or deleting the character there
    // when `typed` is null, moves a break: the keystroke then goes in one
    // edit block with settleNear() of where the caret is after it.
    bool keyMovesBreaks(int position, QChar typed) const;
    void settleNear(int position);

    // Whether the list differs from what it was when last markSaved().
    bool isUnsaved() const;
    // The list as it is now is what its section file holds.
    void markSaved();
    // The list as it stands, to be marked saved once its file is written
    // (the window goes on taking events meanwhile).
    struct Held {
        const QTextDocument* document = nullptr;
        quint64 edits = 0;
        bool operator==(const Held&) const = default;
    };
    Held held() const { return {m_document, m_edits}; }
    // markSaved() where the list still stands as `written`: an edit that
    // came after is not in the file, and keeps the list unsaved.
    void markSaved(const Held& written);

    // A Load is filling the list's next document: the list takes no edits
    // until it is adopted.
    void setBeingReplaced(bool beingReplaced);
    bool isBeingReplaced() const { return m_beingReplaced; }

Q_SIGNALS:
    // The list is in another document: a whole text was put in, or, with
    // `byUndo`, undo brought a replaced list back.
    void documentReplaced(bool byUndo);
    // The document's positions [position, position + removed) became `added`
    // others (as QTextDocument::contentsChange, which may count the
    // document's own end among them).
    void positionsChanged(int position, int removed, int added);
    void unsavedChanged(bool unsaved);
    void beingReplacedChanged(bool beingReplaced);
    // Around appendText(): a view keeps its caret where it was, and shows
    // the end.
    void appending();
    void appended();

private:
    class ReplacedDocument;

    void show(QTextDocument* document, bool byUndo);
    void restoreReplaced(QTextDocument* replaced);
    void updateUnsaved();
    void noteChange(int position, int removed, int added);
    void settle(const std::vector<std::pair<int, int>>& ranges);

    QTextDocument* m_document = nullptr;
    QPointer<QTextDocument> m_replaced; // what undo can still bring back
    QPointer<QTextDocument> m_saved;    // what holds the list as saved
    bool m_unsaved = false;
    quint64 m_edits = 0; // edits of the list's text, undo and redo among them
    bool m_beingReplaced = false;
    int m_spacer;
    // Document ranges [first, second] edited since the breaks were settled.
    std::vector<std::pair<int, int>> m_unsettled;
    bool m_settling = false;
};

} // namespace scp
