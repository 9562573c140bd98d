#pragma once

#include "text_box.h"

#include <QList>

namespace scp {

// In-memory box for the hidden blocks, the output buffer and the headless
// compiler. Content set as text is held as text; content that arrives as
// Windows-1252 bytes (a loaded file, an assembled script) is held as those
// bytes, in the pieces given, and only decoded when its text is asked for.
// A 100 MB script then goes from files to file without ever being widened
// to UTF-16 or copied into one piece.
class MemoryTextBox final : public TextBox {
public:
    MemoryTextBox() = default;
    explicit MemoryTextBox(const QString& text);

    QString text() const override;
    void setText(const QString& text) override;
    void appendText(const QString& text) override;
    bool isEmpty() const override;
    QString selectedText() const override;
    Cp1252Encoding encoded() const override;

    // Replaces the content with Windows-1252 bytes, one a character, in
    // pieces that together make the content (line ends normalised piece by
    // piece). The pieces are shared, not copied.
    void setEncoded(const QList<QByteArray>& pieces);

    // Selects [start, start + length) of the current text, clamped.
    void select(qsizetype start, qsizetype length);

    void setFileContent(const QByteArray& bytes) override { setEncoded({bytes}); }

private:
    void holdText();

    QString m_text;
    QList<QByteArray> m_pieces; // the content while held as bytes
    bool m_holdsBytes = false;
    qsizetype m_selStart = 0;
    qsizetype m_selLength = 0;
};

class MemoryTextField final : public TextField {
public:
    MemoryTextField() = default;
    explicit MemoryTextField(QString text) : m_text(std::move(text)) {}
    QString text() const override { return m_text; }
    void setText(const QString& text) override { m_text = text; }

private:
    QString m_text;
};

} // namespace scp
