// The main window's layout, captions and signals.

#include "windows/main_window.h"

#include "lists/entry_field.h"
#include "lists/list_document.h"
#include "lists/list_edit.h"
#include "lists/list_find_bar.h"
#include "lists/list_marks.h"
#include "lists/list_pictures.h"
#include "lists/list_problems.h"
#include "lists/list_zoom.h"
#include "windows/twips_layout.h"
#include "windows/window_growth.h"
#include "work/editor_settings.h"

#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

// A button that opens a menu, and so must tell a mouse click (the menu opens
// at the pointer) from any other press.
class MenuButton final : public QPushButton {
public:
    using QPushButton::QPushButton;
    bool isClickingByMouse() const { return m_clickingByMouse; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        m_clickingByMouse = true;
        QPushButton::mouseReleaseEvent(event);
        m_clickingByMouse = false;
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        // Enter presses it as Space does; Qt only does that by itself in
        // dialogs.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            click();
        else
            QPushButton::keyPressEvent(event);
    }

private:
    bool m_clickingByMouse = false;
};

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(u":/icons/scpmaker-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

MainWindow::MainWindow(const std::array<ListDocument*, 3>& lists, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(u"mainWindow"_s);
    setFolderName(QString());
    setWindowIcon(applicationIcon());
    const QRect client = twips(1320, 2115, 12165, 5835);
    setMinimumSize(client.size());
    resize(client.size());
    move(client.topLeft());

    // Created in tab order, so the focus chain starts out as the window's
    // order has it.
    QPushButton* load = addButton(u"loadButton"_s, u"Load"_s, twips(4080, 5160, 1095, 615));
    addListEdit(*lists[0], ListId::Gumps, u"gumpsList"_s, twips(0, 240, 2655, 3975));
    QLineEdit* gumpField =
        addEntryField(u"newGumpEntry"_s, ListId::Gumps, twips(0, 4680, 2655, 375));
    QPushButton* addGump = addButton(u"addGumpButton"_s, u"Add"_s, twips(120, 5160, 495, 375));
    QPushButton* clearGumps =
        addButton(u"clearGumpsButton"_s, u"Clear"_s, twips(720, 5160, 495, 375));
    addListEdit(*lists[1], ListId::Tiles, u"tilesList"_s, twips(2760, 240, 3135, 3975));
    addListEdit(*lists[2], ListId::Items, u"itemsList"_s, twips(6000, 240, 6135, 3975));
    const QList<QWidget*> gumpLabels{
        addLabel(u"gumpIdLabel"_s, u"HexID"_s, twips(0, 4440, 615, 375), gumpField),
        addLabel(u"gumpFileLabel"_s, u"Filename.bmp"_s, twips(600, 4440, 975, 375), gumpField),
        addLabel(u"gumpWidthLabel"_s, u"Width"_s, twips(1680, 4440, 615, 375), gumpField),
        addLabel(u"gumpHeightLabel"_s, u"Height"_s, twips(2160, 4440, 495, 255), gumpField),
    };
    QPushButton* clearTiles =
        addButton(u"clearTilesButton"_s, u"Clear"_s, twips(3480, 5160, 495, 375));
    QPushButton* addTile = addButton(u"addTileButton"_s, u"Add"_s, twips(2880, 5160, 495, 375));
    QLineEdit* tileField =
        addEntryField(u"newTileEntry"_s, ListId::Tiles, twips(2880, 4680, 2655, 375));
    const QList<QWidget*> tileLabels{
        addLabel(u"tileHeightLabel"_s, u"Height"_s, twips(5040, 4440, 495, 255), tileField),
        addLabel(u"tileWidthLabel"_s, u"Width"_s, twips(4560, 4440, 615, 375), tileField),
        addLabel(u"tileFileLabel"_s, u"Filename.bmp"_s, twips(3480, 4440, 975, 375), tileField),
        addLabel(u"tileIdLabel"_s, u"HexID"_s, twips(2880, 4440, 615, 375), tileField),
    };
    QPushButton* clearItems =
        addButton(u"clearItemsButton"_s, u"Clear"_s, twips(9240, 5160, 495, 375));
    QPushButton* addItem = addButton(u"addItemButton"_s, u"Add"_s, twips(9840, 5160, 495, 375));
    QLineEdit* itemField =
        addEntryField(u"newItemEntry"_s, ListId::Items, twips(6120, 4680, 5295, 375));
    const QList<QWidget*> itemLabels{addLabel(u"itemFieldsLabel"_s, fieldHint(ListId::Items),
                                              twips(6120, 4440, 5295, 375), itemField)};
    QPushButton* about = addButton(u"aboutButton"_s, u"ABOUT"_s, twips(5280, 5160, 1095, 615));
    auto* save = new MenuButton(u"Save"_s, this);
    placeButton(save, u"saveButton"_s, twips(6480, 5160, 1095, 615));

    // The keyboard walks the controls in this order whatever order a later
    // edit creates them in.
    const std::vector<QString> tabOrder{
        u"loadButton"_s,       u"gumpsList"_s,    u"newGumpEntry"_s,     u"addGumpButton"_s,
        u"clearGumpsButton"_s, u"tilesList"_s,    u"itemsList"_s,        u"clearTilesButton"_s,
        u"addTileButton"_s,    u"newTileEntry"_s, u"clearItemsButton"_s, u"addItemButton"_s,
        u"newItemEntry"_s,     u"aboutButton"_s,  u"saveButton"_s,
    };
    QWidget* previous = nullptr;
    for (const QString& name : tabOrder) {
        QWidget* next = findChild<QWidget*>(name);
        if (previous != nullptr)
            setTabOrder(previous, next);
        previous = next;
    }

    load->setAccessibleName(u"Load"_s);
    load->setAccessibleDescription(u"Replaces the three lists with the section files"_s);
    about->setAccessibleName(u"About"_s);
    save->setAccessibleName(u"Save"_s);
    save->setAccessibleDescription(u"Opens the save menu"_s);
    connect(load, &QPushButton::clicked, this, &MainWindow::loadRequested);
    connect(about, &QPushButton::clicked, this, &MainWindow::aboutRequested);
    // A mouse click opens the menu at the pointer; a press from the keyboard
    // or a screen reader opens it at the button, which may be far from
    // wherever the pointer was left.
    connect(save, &QPushButton::clicked, this, [this, save] {
        Q_EMIT saveMenuRequested(save->isClickingByMouse()
                                     ? QCursor::pos()
                                     : save->mapToGlobal(save->rect().bottomLeft()));
    });

    const struct {
        ListId list;
        QPushButton *add, *clear;
        QLineEdit* field;
    } rows[] = {{ListId::Gumps, addGump, clearGumps, gumpField},
                {ListId::Tiles, addTile, clearTiles, tileField},
                {ListId::Items, addItem, clearItems, itemField}};
    for (const auto& [list, add, clear, field] : rows) {
        const QString plural = listName(list); // "gumps"
        const QString singular = plural.chopped(1);
        ListEdit* edit = m_listEdits[index(list)];
        edit->setAccessibleName(plural.at(0).toUpper() + plural.mid(1) + u" list"_s);
        edit->setAccessibleDescription(u"The Menu key opens its copy menu"_s);
        field->setAccessibleName(u"New %1 entry"_s.arg(singular));
        field->setAccessibleDescription(u"Enter adds it to the list"_s);
        add->setAccessibleName(u"Add %1"_s.arg(singular));
        clear->setAccessibleName(u"Clear %1"_s.arg(plural));
        // The entry stays in the field, selected, with the focus: the next
        // one typed replaces it, and Enter again adds it again.
        const auto addTo = [this, list = list, field = field] {
            Q_EMIT addRequested(list, field->text());
            field->setFocus(Qt::OtherFocusReason);
            field->selectAll();
        };
        connect(add, &QPushButton::clicked, this, addTo);
        connect(field, &QLineEdit::returnPressed, this, addTo);
        connect(clear, &QPushButton::clicked, this,
                [this, list = list] { Q_EMIT clearRequested(list); });
        connect(edit, &ListEdit::mousePressed, this,
                [this, list = list, edit](Qt::MouseButton button) {
                    if (button != Qt::RightButton)
                        return;
                    m_menuPositions[index(list)] = edit->pressedPosition();
                    Q_EMIT copyMenuRequested(list, QCursor::pos());
                });
        connect(edit, &ListEdit::filesDropped, this, [this, list = list](const QStringList& paths) {
            Q_EMIT filesDropped(list, paths);
        });
        edit->installEventFilter(this);
    }

    stackLabelsUnderFields();
    // One size for the captions read together: the field names of one list,
    // one list's Add and Clear, and the three large buttons.
    for (const QList<QWidget*>& row :
         {gumpLabels, tileLabels, itemLabels, QList<QWidget*>{addGump, clearGumps},
          QList<QWidget*>{addTile, clearTiles}, QList<QWidget*>{addItem, clearItems},
          QList<QWidget*>{load, about, save}})
        fitCaptions(row);
    addListTools(client.size(), {load, about, save});
    load->setFocus(Qt::OtherFocusReason);
    restoreWindowPlace(*this);
}

void MainWindow::addListTools(QSize drawn, const QList<QWidget*>& centreButtons)
{
    // Each list's problem count stands in the strip over the list, left
    // empty by the window's drawing; it stretches with the list.
    const QRect strips[] = {twips(0, 0, 2655, 240), twips(2760, 0, 3135, 240),
                            twips(6000, 0, 6135, 240)};
    for (ListId list : kAllLists) {
        auto* label = new QLabel(this);
        label->setObjectName(listName(list) + u"Problems"_s);
        label->setGeometry(strips[index(list)]);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setFont(fontFitting(font(), {{u"9 problems"_s, label->size()}}));
        m_problemLabels[index(list)] = label;
        m_findBars[index(list)] = new ListFindBar(listEdit(list), listName(list));
    }
    m_zoom = new ListZoom(m_listEdits, this);

    // Grown, the lists share the room; what stands under a list keeps to it,
    // and Load, ABOUT and Save keep their place by the items list.
    m_growth = std::make_unique<WindowGrowth>(drawn);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const auto list = std::find(m_listEdits.cbegin(), m_listEdits.cend(), child);
        const auto strip = std::find(m_problemLabels.cbegin(), m_problemLabels.cend(), child);
        if (list != m_listEdits.cend()) {
            m_growth->add(child, WindowGrowth::Kind::List, int(list - m_listEdits.cbegin()));
        } else if (strip != m_problemLabels.cend()) {
            m_growth->add(child, WindowGrowth::Kind::Above, int(strip - m_problemLabels.cbegin()));
        } else {
            // Under the list whose left edge is the nearest on its left.
            int column = 0;
            for (int i = 1; i < WindowGrowth::kColumns; ++i)
                if (m_listEdits[size_t(i)]->x() <= child->x())
                    column = i;
            m_growth->add(child, WindowGrowth::Kind::Below,
                          centreButtons.contains(child) ? int(ListId::Items) : column);
        }
    }
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_growth)
        m_growth->place(size());
}

void MainWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!m_keepsNoJournal)
        saveWindowPlace(*this);
}

void MainWindow::findInList(ListId list)
{
    m_findBars[index(list)]->open();
}

ListProblems* MainWindow::problems(ListId list) const
{
    return m_listProblems[index(list)];
}

void MainWindow::selectProblem(ListId list, bool backward)
{
    if (ListProblems* found = problems(list))
        found->selectNext(backward);
    listEdit(list).setFocus(Qt::OtherFocusReason);
}

void MainWindow::selectProblemAt(ListId list, int position)
{
    if (ListProblems* found = problems(list))
        found->selectEntryAt(position);
    listEdit(list).setFocus(Qt::OtherFocusReason);
}

void MainWindow::stackLabelsUnderFields()
{
    // A label's rectangle reaches into its field's, and some labels reach
    // into their right neighbour's. The fields stay on top, whole, and each
    // label lies under the one to its right, so every caption starts where
    // it can be read.
    QList<QLabel*> labels = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    std::stable_sort(labels.begin(), labels.end(),
                     [](const QLabel* a, const QLabel* b) { return a->x() > b->x(); });
    for (QLabel* label : labels)
        label->lower();
}

QSize MainWindow::visibleRoom(const QWidget* widget) const
{
    // What of the widget's rectangle is left uncovered by the siblings drawn
    // over it, on the right and below; the caption starts at its top left.
    const QRect rect = widget->geometry();
    QSize room = rect.size();
    const QObjectList& stack = children(); // bottom first
    for (qsizetype i = stack.indexOf(widget) + 1; i < stack.size(); ++i) {
        const auto* above = qobject_cast<const QWidget*>(stack[i]);
        if (above == nullptr || above->isHidden() || !above->geometry().intersects(rect))
            continue;
        if (above->x() > rect.x())
            room.setWidth(std::min(room.width(), above->x() - rect.x()));
        if (above->y() > rect.y())
            room.setHeight(std::min(room.height(), above->y() - rect.y()));
    }
    return room;
}

void MainWindow::fitCaptions(const QList<QWidget*>& row)
{
    QList<CaptionRoom> captions;
    for (const QWidget* widget : row) {
        if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
            const int margin = 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                               button->style()->pixelMetric(QStyle::PM_ButtonMargin);
            captions.append({button->text(), button->size() - QSize(margin, margin / 2)});
        } else {
            captions.append({widget->property("text").toString(), visibleRoom(widget)});
        }
    }
    const QFont fitted = fontFitting(font(), captions);
    for (QWidget* widget : row)
        widget->setFont(fitted);
}

MainWindow::~MainWindow() = default;

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The Menu key or Shift+F10 on a list opens its copy menu at the caret.
    const auto found = std::find(m_listEdits.cbegin(), m_listEdits.cend(), watched);
    if (found == m_listEdits.cend() || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_Menu &&
        !(key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier))
        return false;
    const ListEdit* edit = *found;
    const QRect viewport = edit->viewport()->rect();
    const QPoint caret = edit->cursorRect().bottomLeft();
    // A caret scrolled out of sight still puts the menu at the list's edge.
    const QPoint at(std::clamp(caret.x(), 0, viewport.right()),
                    std::clamp(caret.y(), 0, viewport.bottom()));
    m_menuPositions[size_t(found - m_listEdits.cbegin())] = edit->textCursor().position();
    Q_EMIT copyMenuRequested(static_cast<ListId>(found - m_listEdits.cbegin()),
                             edit->viewport()->mapToGlobal(at));
    return true;
}

QPushButton* MainWindow::addButton(const QString& name, const QString& caption, const QRect& rect)
{
    auto* button = new QPushButton(caption, this);
    placeButton(button, name, rect);
    return button;
}

void MainWindow::placeButton(QPushButton* button, const QString& name, const QRect& rect)
{
    button->setObjectName(name);
    button->setGeometry(rect);
    button->setFocusPolicy(Qt::StrongFocus);
}

void MainWindow::addListEdit(ListDocument& list, ListId id, const QString& name, const QRect& rect)
{
    auto* edit = new ListEdit(list, this);
    edit->setObjectName(name);
    edit->setGeometry(rect);
    m_listEdits[index(id)] = edit;
}

QLineEdit* MainWindow::addEntryField(const QString& name, ListId list, const QRect& rect)
{
    auto* field = new EntryField(fieldHint(list), this);
    field->setObjectName(name);
    field->setGeometry(rect);
    return field;
}

QLabel* MainWindow::addLabel(const QString& name, const QString& caption, const QRect& rect,
                             QWidget* field)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Screen readers read the label with its field.
    label->setBuddy(field);
    // The desktop's window colours (those of an edit field's background and
    // text), not the dialog face the window itself is painted with.
    label->setBackgroundRole(QPalette::Base);
    label->setForegroundRole(QPalette::Text);
    label->setAutoFillBackground(true);
    return label;
}

void MainWindow::markLists(PictureFolder* pictures)
{
    for (ListId list : kAllLists) {
        auto* marks = new ListMarks(listEdit(list), list, pictures); // owned by the list box
        m_listMarks[index(list)] = marks;
        m_listProblems[index(list)] =
            new ListProblems(listEdit(list), *marks, *m_problemLabels[index(list)]);
    }
}

void MainWindow::showPictures(PictureFolder& pictures, PicturePreviews& previews)
{
    for (ListId list : {ListId::Gumps, ListId::Tiles}) {
        m_listPictures[index(list)] =
            new ListPictures(listEdit(list), *m_listMarks[index(list)], pictures, previews);
        listEdit(list).setAccessibleDescription(
            u"Ctrl+I shows the picture of the entry at the caret; the Menu key opens its menu"_s);
    }
}

QString MainWindow::selectedText(ListId list) const
{
    return listEdit(list).selectedText();
}

bool MainWindow::canEdit(ListId list, EditCommand command) const
{
    return canRun(listEdit(list), command);
}

void MainWindow::edit(ListId list, EditCommand command)
{
    run(listEdit(list), command);
    listEdit(list).setFocus(Qt::OtherFocusReason);
}

void MainWindow::setFolderName(const QString& name)
{
    m_folderName = name;
    const QString caption = u"MoonrakesMantle.zozOzazez"_s;
    // Qt reads "[*][*]" as a "[*]" that is no marker.
    QString shown = name;
    shown.replace(u"[*]"_s, u"[*][*]"_s);
    if (m_keepsNoJournal)
        shown += u" (second editor: no recovery journal)"_s;
    setWindowTitle(name.isEmpty() ? caption + u"[*]"_s : caption + u" - "_s + shown + u"[*]"_s);
}

void MainWindow::setKeepsNoJournal()
{
    m_keepsNoJournal = true;
    setFolderName(m_folderName);
    // Down and right by a title bar's height, as windows cascade.
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    if (!isMaximized())
        move(pos() + QPoint(step, step));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Lists that are not saved may have to be asked about first.
    event->ignore();
    Q_EMIT closeRequested();
}

} // namespace scp
