#pragma once

// One list as the editor holds it, with no widget: its text in a text
// document, the document a Load or a Clear replaced (for undo), and whether
// the list is saved.

#include "text_box.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QTextBlock;
class QTextCursor;
class QTextDocument;

namespace scp {

// A list is one long line: entries separated by runs of spaces. Qt lays a
// paragraph out whole on every edit, so held as one paragraph a list of
// 10,000 entries would cost tens of milliseconds an Add or a keystroke. The
// document therefore holds the last space of a long run between two entries
// as a row break: a paragraph break that stands for exactly one space. A row
// break ends a row once it holds kRowLength characters, so each paragraph is
// a few entries, each on a row of its own as wrapping shows it anyway, while
// text() and every other reading give the space. Every paragraph costs the
// document some 400 bytes whatever its length; a few entries to each keeps a
// loaded list's memory close to its text's. A row break is one character, so
// caret steps, Delete and Backspace treat it as the space it stands for. It
// is told from a real line end by its own character format, which belongs to
// that character alone: deleted with it, restored with it by undo, never
// handed on to text the user types, enters or pastes.
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
// end as CR LF, positionText() as one LF, so that one character stands for
// one document position (what the lint and the recovery journal read).
// Qt's own plain-text export would change characters (no-break space to a
// space, line and paragraph separators to LF); the raw document is read
// instead.
class ListDocument final : public QObject, public TextBox {
    Q_OBJECT

public:
    // The shortest row a row break ends.
    static constexpr qsizetype kRowLength = 512;
    // The longest replaced list undo can still bring back, unless the list
    // that replaced it is empty.
    static constexpr qsizetype kKeptCharacters = qsizetype(1) << 20;

    explicit ListDocument(const QString& text = QString(), QObject* parent = nullptr);
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

    // The list text of the document range [from, to), CR LF line ends.
    QString text(int from, int to) const;
    // The document range [from, to), one character a position: each row
    // break as its space, each line end as one LF. `out` is reused.
    static void positionText(const QTextDocument& document, qsizetype from, qsizetype to,
                             QString& out);
    // How many positions the list has (less the end a document always has).
    int positionCount() const;

    // Whether the paragraph break before `block` is a row break (a space of
    // the list) rather than a line end.
    static bool isRowBreakBefore(const QTextBlock& block);
    static bool isRowBreakAt(const QTextDocument& document, int position);
    // List text (any line ends) typed, entered or pasted at `cursor`, with a
    // plain format and row breaks where the rule puts them.
    static void insertText(QTextCursor& cursor, const QString& text);

    // A whole list from a file's Windows-1252 bytes, in a document of its own
    // with no parent, no layout and no undo steps: nothing in it reaches for
    // fonts or the window system, so any thread may fill it. `filled` hears
    // how far it has got and stops it by answering false (nullptr then).
    static QTextDocument* filledDocument(QByteArrayView bytes,
                                         const std::function<bool(qsizetype done)>& filled);
    // Makes a filled document the list's, in place of the old, as setText()
    // does. It must belong to this object's thread.
    void adopt(QTextDocument* filled);

    // Whether the list differs from what it was when last markSaved().
    bool isUnsaved() const;
    // The list as it is now is what its section file holds.
    void markSaved();

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

    QTextDocument* m_document = nullptr;
    QPointer<QTextDocument> m_replaced; // what undo can still bring back
    QPointer<QTextDocument> m_saved;    // what holds the list as saved
    bool m_unsaved = false;
    bool m_beingReplaced = false;
};

} // namespace scp
