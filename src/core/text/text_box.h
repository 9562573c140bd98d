#pragma once

// The box a list or a template block rests on, whatever holds its text.

#include "text/cp1252.h"

#include <QByteArray>
#include <QString>

namespace scp {

// The multi-line box every list and template block rests on: the list's
// document in the editor, an in-memory box elsewhere.
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
    // Same as text() == `text`; a box that knows its length cheaply answers
    // a long content without building it.
    virtual bool holds(const QString& text) const { return this->text() == text; }

    // The content as Windows-1252 bytes, one a character, or the index of
    // the first character that has none. A box that already holds bytes
    // hands them over without a copy. Any thread may ask, while nothing
    // changes the box.
    virtual Cp1252Encoding encoded() const { return encodeCp1252(text()); }

    // A long content encoded in parts, each on a thread of its own: how many
    // positions the box has to split (0 for a box that encodes only whole),
    // and the bytes of positions [from, to) written to `out`, which has room
    // for two a position (a line end). Its index of a character with no
    // byte is counted in the part's text.
    virtual qsizetype encodingPositions() const { return 0; }
    struct EncodedPart {
        qsizetype size = 0; // bytes written
        qsizetype badIndex = -1;
    };
    virtual EncodedPart encodePart(qsizetype from, qsizetype to, char* out) const
    {
        Q_UNUSED(from);
        Q_UNUSED(to);
        Q_UNUSED(out);
        return {};
    }

    // Takes a file's bytes (Windows-1252) as the whole content, line ends
    // normalised; by default decoded and set as text.
    virtual void setFileContent(const QByteArray& bytes) { setText(decodeCp1252(bytes)); }
};

} // namespace scp
