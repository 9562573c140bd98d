#pragma once

#include "entry_lists.h"

#include <QIcon>
#include <QPoint>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace scp {

class ListEdit;
class LineEditField;

// The program's icon, in every size the resources hold.
QIcon applicationIcon();

// The main window: the three lists side by side, each with its field-name
// labels, entry field, Add and Clear; Load, ABOUT and Save in the middle row.
// Fixed size, no minimize or maximize box. Add and Clear act here; Load,
// Save, ABOUT, the copy menus and closing the window are asked of whoever
// owns the window, through the signals.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The caption, then the working folder's name, then the unsaved marker
    // while setWindowModified(true).
    void setFolderName(const QString& name);

    EntryLists& lists() { return *m_lists; }
    ListEdit& listEdit(ListId list) const { return *m_listEdits[index(list)]; }

    void addEntry(ListId list);
    void clearList(ListId list);
    // While a Load fills the lists they take no typing.
    void setListsBusy(bool busy);
    // Add and Clear from the buttons and Enter go through `gate`, which may
    // keep them to run later, in order with other waiting work; an Add keeps
    // the entry as it was when pressed. Without a gate they run at once.
    using Gate = std::function<void(std::function<void()> action)>;
    void setGate(Gate gate) { m_gate = std::move(gate); }

Q_SIGNALS:
    void loadRequested();
    void aboutRequested();
    // Where the menu is to open, in global coordinates.
    void saveMenuRequested(QPoint at);
    void copyMenuRequested(scp::ListId list, QPoint at);
    // The window is not closed by itself: whoever owns it decides.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static size_t index(ListId list) { return static_cast<size_t>(list); }
    QPushButton* addButton(const QString& name, const QString& caption, const QRect& rect);
    static void placeButton(QPushButton* button, const QString& name, const QRect& rect);
    void addListEdit(const QString& name, ListId list, const QRect& rect);
    QLineEdit* addEntryField(const QString& name, ListId list, const QRect& rect);
    QLabel* addLabel(const QString& name, const QString& caption, const QRect& rect,
                     QWidget* field);
    QLineEdit* addSpacerBox(const QString& name, int width);
    void stackLabelsUnderFields();
    QSize visibleRoom(const QWidget* widget) const;
    void fitCaptions(const QList<QWidget*>& row);

    std::array<ListEdit*, 3> m_listEdits = {};
    std::array<std::unique_ptr<LineEditField>, 3> m_fields;
    std::unique_ptr<LineEditField> m_gumpTileSpacer;
    std::unique_ptr<LineEditField> m_itemSpacer;
    std::unique_ptr<EntryLists> m_lists;
    Gate m_gate;
    void throughGate(std::function<void()> action);
};

} // namespace scp
