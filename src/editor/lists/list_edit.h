#pragma once

// The visible box of one list: shows its ListDocument and takes the user's
// typing, pastes and presses.

#include <QPlainTextEdit>
#include <QPointer>

#include <utility>

namespace scp {

class ListDocument;

// A plain-text editor on the list's document. Lines wrap at the widget's
// width (and wrapping keeps Qt clear of its line-width limit, past which a
// very long unwrapped line stops drawing); each entry starts a row of its
// own, as the document's breaks make it, and the box draws the character a
// chunk break stands for. Keys that move or delete by
// words, Enter and pastes act on the list as on one long line, across the
// document's row breaks; while a Load fills the list's next document, the
// box takes no typing.
class ListEdit final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit ListEdit(ListDocument& list, QWidget* parent = nullptr);
    ~ListEdit() override;

    ListDocument& list() const { return m_list; }
    // The selection as list text (CR LF line ends), or "".
    QString selectedText() const;

    // The caret position nearest the last mouse press.
    int pressedPosition() const { return m_pressedPosition; }

    // Font of every list box: the platform's UI sans font at 8.5 points.
    static QFont listFont();

    // Room kept under the text, inside the frame, for a bar over the box's
    // bottom edge.
    void setBottomMargin(int pixels) { setViewportMargins(0, 0, 0, pixels); }

Q_SIGNALS:
    // A mouse button went down over the list (the second press of a double
    // click too). The right button opens the list's copy menu.
    void mousePressed(Qt::MouseButton button);
    // Files (local paths) were dropped on the list; they are not its text.
    void filesDropped(const QStringList& paths);

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // What a key does to the list where Qt would not act as on one long
    // line: true when done to `cursor`, the caret, which is then shown.
    bool moveOrDeleteByWords(const QKeyEvent& event, QTextCursor& cursor) const;
    bool startLine(const QKeyEvent& event, QTextCursor& cursor) const;
    bool editMovingBreaks(const QKeyEvent& event, QTextCursor& caret);
    void showListDocument(bool byUndo);
    void restoreCaret(int anchor, int position);

    ListDocument& m_list;
    int m_pressedPosition = 0;
    std::pair<int, int> m_kept; // the caret while text is appended
    // The caret of the document last replaced, for undo to bring back.
    std::pair<QPointer<QTextDocument>, std::pair<int, int>> m_replacedCaret;
};

} // namespace scp
