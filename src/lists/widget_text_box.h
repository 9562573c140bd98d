#pragma once

#include "lists/text_box.h"

#include <QPlainTextEdit>

namespace scp {

// The visible box of one list: a plain-text editor whose whole content is the
// list. Lines wrap at the widget's width, so the spacer runs put each entry on
// a row of its own (and wrapping keeps Qt clear of its line-width limit, past
// which a very long unwrapped line stops drawing).
//
// Qt's own plain-text export changes characters (no-break space becomes a
// space, line and paragraph separators become LF); this box reads the raw
// document instead, so text() yields exactly the characters held, with CR LF
// for each paragraph break.
class WidgetTextBox final : public QPlainTextEdit, public TextBox {
    Q_OBJECT

public:
    explicit WidgetTextBox(QWidget* parent = nullptr);

    QString text() const override;
    void setText(const QString& text) override;
    void appendText(const QString& text) override;
    bool isEmpty() const override;
    QString selectedText() const override;

    // Selects [start, start + length) of text().
    void select(qsizetype start, qsizetype length);

    // Font of every list box: the platform's UI sans font at 8.5 points.
    static QFont listFont();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace scp
