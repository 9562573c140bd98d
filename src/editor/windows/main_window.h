#pragma once

// The main window: where the user works on the three lists.

#include "lists/list_edit_commands.h"
#include "script/entry_lists.h"

#include <QPoint>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QCloseEvent;
class QLabel;
class QLineEdit;

namespace scp {

class ListDocument;
class PictureFolder;
class ListEdit;
class ListMarks;
class ListPictures;
class ListProblems;
class PicturePreviews;
class ListFindBar;
class WindowGrowth;
struct WindowControl;

// The three lists side by side, each with its field-name labels, entry
// field, Add and Clear, and over it the count of its problems; Load, ABOUT
// and Save in the middle row. It opens at the size it was drawn at, its
// smallest, or as it was last left, and grows (or maximises) with the lists
// taking the room; no minimize box. Each list has a find bar, F8 to its
// problems and zoom. The window shows the lists it is given and asks for
// everything done to them, and for closing, through its signals.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    // Shows `lists` (gumps, tiles, items), which outlive the window.
    explicit MainWindow(const std::array<ListDocument*, 3>& lists, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The caption, then the working folder's name, then the unsaved marker
    // while setWindowModified(true).
    void setFolderName(const QString& name);
    // Another editor has the folder and keeps its journal: this window
    // says in its title that it keeps none, and stands off the first one's
    // place (where both would otherwise open), which it does not remember.
    void setKeepsNoJournal();

    // Marks what the lint finds in the lists, looking for pictures in
    // `pictures` (null: no picture checks), which outlives the window.
    void markLists(PictureFolder* pictures);
    // Shows the gumps' and tiles' pictures over their entries, decoded by
    // `previews`; after markLists(), with both outliving the window.
    void showPictures(PictureFolder& pictures, PicturePreviews& previews);
    // The gumps' or tiles' pictures, once shown; null for the items.
    ListPictures* listPictures(ListId list) const { return m_listPictures[index(list)]; }
    // The document position the list's copy menu was last opened for: the
    // character under the pointer, or the caret when opened from the
    // keyboard.
    int menuPosition(ListId list) const { return m_menuPositions[index(list)]; }
    // What is selected in the list's box, as list text, or "".
    QString selectedText(ListId list) const;
    // The list's menu's edit commands on its box.
    bool canEdit(ListId list, EditCommand command) const;
    void edit(ListId list, EditCommand command);

    // Opens the list's find bar.
    void findInList(ListId list);
    // Selects the list's next (or previous) marked entry.
    void selectProblem(ListId list, bool backward);
    // Selects the list's entry at the document position `position`.
    void selectProblemAt(ListId list, int position);
    // The list's problem count and F8; none while the lists are not marked.
    ListProblems* problems(ListId list) const;

Q_SIGNALS:
    // Add (or Enter in the entry field) with the entry as it was then.
    void addRequested(scp::ListId list, const QString& entry);
    void clearRequested(scp::ListId list);
    void loadRequested();
    void aboutRequested();
    // Where the menu is to open, in global coordinates.
    void saveMenuRequested(QPoint at);
    void copyMenuRequested(scp::ListId list, QPoint at);
    // Files dragged from elsewhere were dropped on the list.
    void filesDropped(scp::ListId list, const QStringList& paths);
    // The window is not closed by itself: whoever owns it decides.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static size_t index(ListId list) { return static_cast<size_t>(list); }
    ListEdit& listEdit(ListId list) const { return *m_listEdits[index(list)]; }
    // `document`: the list's, for a list box.
    QWidget* makeControl(const WindowControl& control, ListDocument* document);
    QWidget* followTabPositions();
    void connectControls();
    void connectList(ListId list);
    void addEntry(ListId list);
    void stackLabelsUnderFields();
    void fitCaptionRows();
    void addListTools();
    // The list's find bar, made the first time.
    ListFindBar& findBar(ListId list);
    void growWithWindow(QSize drawn);

    // The table's controls, row by row; a problem count from addListTools().
    std::vector<QWidget*> m_controls;
    std::array<ListEdit*, 3> m_listEdits = {};
    std::array<QLineEdit*, 3> m_entryFields = {};
    std::array<ListMarks*, 3> m_listMarks = {};
    std::array<ListPictures*, 3> m_listPictures = {};
    std::array<int, 3> m_menuPositions = {};
    std::array<QLabel*, 3> m_problemLabels = {};
    std::array<ListProblems*, 3> m_listProblems = {}; // owned by the list boxes; none unmarked
    std::array<ListFindBar*, 3> m_findBars = {}; // owned by the list boxes; none until asked for
    std::unique_ptr<WindowGrowth> m_growth;
    QString m_folderName;
    bool m_keepsNoJournal = false;
};

} // namespace scp
