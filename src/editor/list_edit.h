#pragma once

#include "text_box.h"

#include <QPlainTextEdit>
#include <QPointer>

#include <memory>

class QTextBlock;

namespace scp {

// The visible box of one list: a plain-text editor whose whole content is the
// list. Lines wrap at the widget's width (and wrapping keeps Qt clear of its
// line-width limit, past which a very long unwrapped line stops drawing).
//
// A list is one long line: entries separated by runs of spaces. Qt lays a
// paragraph out whole on every edit, so held as one paragraph a list of
// 10,000 entries would cost tens of milliseconds an Add or a keystroke. The
// box therefore holds the last space of a long run between two entries as a
// row break: a paragraph break that stands for exactly one space. A row break
// ends a row once it holds kRowLength characters, so each paragraph is a few
// entries, each on a row of its own as wrapping shows it anyway, while text(),
// the selection and the clipboard give the space. Every paragraph costs the
// document some 400 bytes whatever its length; a few entries to each keeps a
// loaded list's memory close to its text's. A row break is one character, so
// caret steps, Delete and Backspace treat it as the space it stands for. It
// is told from a real line end by its own character format, which belongs to
// that character alone: deleted with it, restored with it by undo, never
// handed on to text the user types, enters or pastes.
//
// A whole text (Load, Clear) goes into a new document, filled while hidden
// without recording undo steps, which then replaces the shown one. Undo
// brings the replaced document back, its own history with it, when it held
// at most kKeptCharacters characters or the new text is empty (a Clear costs
// no more memory than the list did); otherwise the replaced list is freed at
// once and cannot be brought back. A box keeps at most one replaced document.
//
// The box knows whether its list differs from what was last loaded from or
// saved to its section file: the document that held it then, at the undo
// step it was at (undo back there counts as saved).
//
// Qt's own plain-text export changes characters (no-break space becomes a
// space, line and paragraph separators become LF); this box reads the raw
// document instead, so text() yields exactly the characters held, with CR LF
// for each real line end.
class ListEdit final : public QPlainTextEdit, public TextBox {
    Q_OBJECT

public:
    explicit ListEdit(QWidget* parent = nullptr);
    ~ListEdit() override;

    QString text() const override;
    void setText(const QString& text) override;
    void appendText(const QString& text) override;
    bool isEmpty() const override;
    QString selectedText() const override;
    // Straight from the document, without building text() first.
    Cp1252Encoding encoded() const override;
    // A file's content is decoded into a new document on a thread of its
    // own, so the three lists of a Load fill side by side.
    void setFileContent(const QByteArray& bytes) override;
    void startFileContent(const QByteArray& bytes) override;
    void finishFileContent() override;
    // Whether a file's content is still going in (contentFilled() follows),
    // and how much of it is in.
    bool isFilling() const;
    double filledFraction() const;

    // The shortest row a row break ends.
    static constexpr qsizetype kRowLength = 512;
    // The longest replaced list undo can still bring back, unless the list
    // that replaced it is empty.
    static constexpr qsizetype kKeptCharacters = qsizetype(1) << 20;

    // Selects [start, start + length) of text().
    void select(qsizetype start, qsizetype length);

    // Whether the paragraph break before `block` is a row break (a space of
    // the list) rather than a line end: for reading the document itself, one
    // character a position.
    static bool isRowBreakBefore(const QTextBlock& block);
    // The document range [from, to), one character a position: each row
    // break as its space, each line end as one LF.
    QString positionText(int from, int to) const;
    static void positionText(const QTextDocument& document, qsizetype from, qsizetype to,
                             QString& text);
    // How many positions the list has (the document's characters, less the
    // end it always has).
    int positionCount() const;

    // Whether the list differs from what it was when last markSaved().
    bool isUnsaved() const;
    // The list as it is now is what its section file holds.
    void markSaved();

    // Font of every list box: the platform's UI sans font at 8.5 points.
    static QFont listFont();

Q_SIGNALS:
    // A mouse button went down over the list (the second press of a double
    // click too). The right button opens the list's copy menu.
    void mousePressed(Qt::MouseButton button);
    // A file's content has started going in elsewhere; the shown list, still
    // the old one, is about to be replaced.
    void fillStarted();
    // The box shows another document (a whole text was put in, or, with
    // `byUndo`, undo brought a replaced list back): whoever watches
    // document() follows.
    void documentReplaced(bool byUndo);
    // The shown document's positions [position, position + removed) became
    // `added` others (as QTextDocument::contentsChange, which may count the
    // document's own end among them).
    void positionsChanged(int position, int removed, int added);
    void unsavedChanged(bool unsaved);
    // The file's content a start asked for is in, ready for the finish.
    void contentFilled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    class ReplacedDocument;
    struct Filling;

    // Makes a filled document the box's and shows it in place of the old.
    void adoptDocument(QTextDocument* fresh);
    // Parent, font, options and layout of the box's documents.
    QTextDocument* prepareDocument(QTextDocument* fresh);
    void showDocument(QTextDocument* document, int anchor, int position, bool byUndo);
    void updateUnsaved();
    void restoreReplaced(QTextDocument* replaced, int anchor, int position);

    QPointer<QTextDocument> m_replaced; // what undo can still bring back
    QPointer<QTextDocument> m_saved;    // what holds the list as saved
    bool m_unsaved = false;
    std::unique_ptr<Filling> m_filling; // a file's content going in elsewhere
};

} // namespace scp
