#pragma once

#include "cp1252.h"

#include <QByteArray>
#include <QString>

namespace scp {

// A one-line text holder: the entry fields and the hidden spacer boxes.
class TextField {
public:
    virtual ~TextField() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

// The multi-line box every list, template block and the output buffer rests
// on: the visible list editor in the editor, an in-memory box elsewhere.
// Content is plain text with CR LF line ends; writes normalise lone CR and LF
// to CR LF (see normalizeLineEnds).
class TextBox {
public:
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
    virtual Cp1252Encoding encoded() const { return encodeCp1252(text()); }

    // Takes a file's bytes (Windows-1252) as the whole content, line ends
    // normalised; by default decoded and set as text.
    virtual void setFileContent(const QByteArray& bytes) { setText(decodeCp1252(bytes)); }
    // The same in two steps, so that several boxes can take their files at
    // once: the content may go in elsewhere after the start, and is the box's
    // once finished. Every start is followed by a finish before the box is
    // used again.
    virtual void startFileContent(const QByteArray& bytes) { setFileContent(bytes); }
    virtual void finishFileContent() {}
};

} // namespace scp
