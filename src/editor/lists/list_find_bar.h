#pragma once

// The find field of one list box: find as you type, next, previous.

#include <QWidget>

class QKeyEvent;
class QLabel;
class QLineEdit;

namespace scp {

class ListEdit;

// A bar along the bottom of a list box, inside its frame, shown by Ctrl+F in
// the box: a find field and, beside it, a note ("not found", or that the
// search went round the list's end) that a screen reader hears as the
// field's description. Typing finds the first match from where the text
// cursor was; Enter or F3 finds the next, Shift+Enter or Shift+F3 the
// previous; F3 in the box goes on with what was last looked for. The match
// is selected and scrolled into view. Escape closes the bar, leaving the
// match selected, with the focus back in the list.
//
// It searches the list's document by positions, a slice of its text at a
// time, so a step costs a pass over the text at most and lays nothing out
// beyond the rows it scrolls to.
class ListFindBar final : public QWidget {
    Q_OBJECT

public:
    // A child of `list`, hidden until opened; `name` names the list's own
    // controls ("gumps" makes "gumpsFindField").
    ListFindBar(ListEdit& list, const QString& name);
    // A key in the list that opens a bar with nothing typed in it yet:
    // Ctrl+F, F3 or Shift+F3.
    static bool opensOn(const QKeyEvent& key);

    void open();
    // The next match (or the previous one) of what the field holds.
    void step(bool backward);

    QLineEdit& field() const { return *m_field; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void findFrom(int from, bool backward);
    void setNote(const QString& note);
    void close();
    void placeOverBottom();

    ListEdit& m_list;
    QLineEdit* m_field;
    QLabel* m_note;
    int m_anchor = 0; // where typing finds from: the text cursor as the bar opened
};

} // namespace scp
