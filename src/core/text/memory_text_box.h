#pragma once

// A text box in memory, holding text or the bytes of a file.

#include "text/text_box.h"

#include <QList>

namespace scp {

// In-memory box for the template blocks and the headless compiler's lists. Content set as text is
// held as text; content that arrives as Windows-1252 bytes (a loaded file, an assembled script) is
// held as those bytes, in the pieces given, and only decoded when its text is asked for. A 100 MB
// script then goes from files to file without ever being widened to UTF-16 or copied into one
// piece.
class MemoryTextBox final : public TextBox {
public:
    MemoryTextBox() = default;
    explicit MemoryTextBox(const QString& text);

    QString text() const override;
    void setText(const QString& text) override;
    void appendText(const QString& text) override;
    bool isEmpty() const override;
    Cp1252Encoding encoded() const override;

    // Replaces the content with Windows-1252 bytes, one a character, in
    // pieces that together make the content (line ends normalised piece by
    // piece). The pieces are shared, not copied.
    void setEncoded(const QList<QByteArray>& pieces);

    void setFileContent(const QByteArray& bytes) override { setEncoded({bytes}); }

private:
    void holdText();

    QString m_text;
    QList<QByteArray> m_pieces; // the content while held as bytes
    bool m_holdsBytes = false;
};

} // namespace scp
