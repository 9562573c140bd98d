#pragma once

// A list's one-line entry field, whose hint gives way to typing.

#include <QLineEdit>

namespace scp {

// Starts out holding `hint` (the names of an entry's fields) as its text, as
// the window was drawn. Whenever it takes the keyboard focus while it holds
// that text, by a click, Tab or otherwise, the whole hint is selected, so the
// first character typed replaces it rather than landing inside it.
class EntryField final : public QLineEdit {
    Q_OBJECT

public:
    EntryField(const QString& hint, QWidget* parent);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool holdsHint() const { return text() == m_hint; }
    // Selects the whole hint for a left-button event on it; false when the
    // event is the line edit's to handle.
    bool keepsHintWhole(const QMouseEvent* event);

    QString m_hint;
};

} // namespace scp
