#pragma once

#include "lists/text_box.h"

namespace scp {

// In-memory box for the hidden blocks, the output buffer and the headless
// compiler.
class MemoryTextBox final : public TextBox {
public:
    MemoryTextBox() = default;
    explicit MemoryTextBox(const QString& text);

    QString text() const override { return m_text; }
    void setText(const QString& text) override;
    void appendText(const QString& text) override;
    bool isEmpty() const override { return m_text.isEmpty(); }
    QString selectedText() const override;

    // Selects [start, start + length) of the current text, clamped.
    void select(qsizetype start, qsizetype length);
    // Simulates a mouse press over the box.
    void pressMouse(MouseButton button) const { notifyMouseDown(button); }

private:
    QString m_text;
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
