#pragma once

#include "lists/outcome.h"
#include "script/cp1252.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace scp {

// A one-line text holder: the entry fields and the hidden spacer boxes.
class TextField {
public:
    virtual ~TextField() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

enum class MouseButton { Left = 1, Right = 2, Middle = 4, Other = 0 };

// The multi-line box every list, template block and the output buffer rests
// on. Content is plain text with CR LF line ends; writes normalise lone CR
// and LF to CR LF (see normalize_line_ends).
class TextBox {
public:
    using MouseDownHandler = std::function<void(MouseButton)>;

    virtual ~TextBox() = default;

    // The whole content as plain text, CR LF line ends.
    virtual QString text() const = 0;
    // Replaces the whole content with exactly this text (line ends normalised).
    virtual void setText(const QString& text) = 0;
    // Appends at the very end without rewriting what is there, so the cost
    // follows the appended text, not the content.
    virtual void appendText(const QString& text) = 0;
    // Same as text().isEmpty(), without building the text.
    virtual bool isEmpty() const = 0;
    // The selection value: the selected text (CR LF), or "" with no selection.
    virtual QString selectedText() const = 0;

    // The content as Windows-1252 bytes, one a character, or the index of
    // the first character that has none. A box that already holds bytes
    // hands them over without a copy.
    virtual Cp1252Encoding encoded() const { return encode_cp1252(text()); }

    // Replaces the whole content with the file's text (Windows-1252, line
    // ends normalised). On failure the content is unchanged.
    Outcome loadFile(const QString& path);
    // What loadFile does once the file is read: takes its bytes as the whole
    // content, by default decoded and set as text.
    virtual void setFileContent(const QByteArray& bytes) { setText(decode_cp1252(bytes)); }
    // Creates or replaces the file with exactly the plain text, one byte a
    // character. `what` names the content in messages ("the gumps list").
    // On failure the file on disk is unchanged.
    Outcome saveFile(const QString& path, const QString& what) const;

    // The MouseDown notification: raised when a mouse button is pressed over
    // the box.
    void setMouseDownHandler(MouseDownHandler handler) { m_mouseDown = std::move(handler); }

protected:
    void notifyMouseDown(MouseButton button) const
    {
        if (m_mouseDown)
            m_mouseDown(button);
    }

private:
    MouseDownHandler m_mouseDown;
};

} // namespace scp
