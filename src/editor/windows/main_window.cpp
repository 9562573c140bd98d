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
#include "windows/main_window_controls.h"
#include "windows/menu_button.h"
#include "windows/twips_layout.h"
#include "windows/window_growth.h"
#include "work/editor_settings.h"

#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

MainWindow::MainWindow(const std::array<ListDocument*, 3>& lists, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(u"mainWindow"_s);
    setFolderName(QString());
    // The icon is the application's (main() sets it), which every window
    // shows without one of its own: set here too, its six pictures would be
    // decoded a second time before the window could show.
    const QRect client = twips(1320, 2115, 12165, 5835);
    setMinimumSize(client.size());
    resize(client.size());
    move(client.topLeft());

    // The problem counts come with the lists' tools, once the captions are
    // fitted.
    m_controls.resize(mainWindowControls().size());
    for (size_t row = 0; row < m_controls.size(); ++row) {
        const WindowControl& control = mainWindowControls()[row];
        if (control.kind != ControlKind::ProblemCount)
            m_controls[row] = makeControl(control, lists[index(control.list)]);
    }
    QWidget* first = followTabPositions();
    connectControls();
    stackLabelsUnderFields();
    fitCaptionRows();
    addListTools();
    growWithWindow(client.size());
    first->setFocus(Qt::OtherFocusReason);
    restoreWindowPlace(*this);
}

QWidget* MainWindow::makeControl(const WindowControl& control, ListDocument* document)
{
    const QString caption = control.caption.toString();
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::ListBox:
        widget = m_listEdits[index(control.list)] = new ListEdit(*document, this);
        break;
    case ControlKind::EntryField:
        widget = m_entryFields[index(control.list)] = new EntryField(fieldHint(control.list), this);
        break;
    case ControlKind::FieldLabel: {
        auto* label = new QLabel(caption.isEmpty() ? fieldHint(control.list) : caption, this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // The desktop's window colours (those of an edit field's background
        // and text), not the dialog face the window itself is painted with.
        label->setBackgroundRole(QPalette::Base);
        label->setForegroundRole(QPalette::Text);
        label->setAutoFillBackground(true);
        widget = label;
        break;
    }
    case ControlKind::ProblemCount: {
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setFont(fontFitting(font(), {{u"9 problems"_s, control.drawn.size()}}));
        widget = m_problemLabels[index(control.list)] = label;
        break;
    }
    case ControlKind::Save:
        widget = new MenuButton(caption, this);
        widget->setFocusPolicy(Qt::StrongFocus);
        break;
    case ControlKind::Add:
    case ControlKind::Clear:
    case ControlKind::Load:
    case ControlKind::About:
        widget = new QPushButton(caption, this);
        widget->setFocusPolicy(Qt::StrongFocus);
        break;
    }
    widget->setObjectName(control.name.toString());
    widget->setGeometry(control.drawn);
    if (!control.accessibleName.isEmpty())
        widget->setAccessibleName(control.accessibleName.toString());
    if (!control.accessibleDescription.isEmpty())
        widget->setAccessibleDescription(control.accessibleDescription.toString());
    return widget;
}

QWidget* MainWindow::followTabPositions()
{
    // The keyboard walks the controls in their tab positions whatever order
    // they are made in.
    std::vector<std::pair<int, QWidget*>> stops;
    for (size_t row = 0; row < m_controls.size(); ++row) {
        if (const int position = mainWindowControls()[row].tabPosition; position > 0)
            stops.emplace_back(position, m_controls[row]);
    }
    std::sort(stops.begin(), stops.end());
    for (size_t stop = 1; stop < stops.size(); ++stop)
        setTabOrder(stops[stop - 1].second, stops[stop].second);
    return stops.front().second;
}

void MainWindow::connectControls()
{
    for (size_t row = 0; row < m_controls.size(); ++row) {
        const ListId list = mainWindowControls()[row].list;
        QWidget* widget = m_controls[row];
        switch (mainWindowControls()[row].kind) {
        case ControlKind::ListBox:
            connectList(list);
            break;
        case ControlKind::EntryField:
            connect(static_cast<QLineEdit*>(widget), &QLineEdit::returnPressed, this,
                    [this, list] { addEntry(list); });
            break;
        case ControlKind::FieldLabel:
            // Screen readers read the label with its field.
            static_cast<QLabel*>(widget)->setBuddy(m_entryFields[index(list)]);
            break;
        case ControlKind::ProblemCount:
            break;
        case ControlKind::Add:
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    [this, list] { addEntry(list); });
            break;
        case ControlKind::Clear:
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    [this, list] { Q_EMIT clearRequested(list); });
            break;
        case ControlKind::Load:
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    &MainWindow::loadRequested);
            break;
        case ControlKind::About:
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    &MainWindow::aboutRequested);
            break;
        case ControlKind::Save:
            // A mouse click opens the menu at the pointer; a press from the
            // keyboard or a screen reader opens it at the button, which may
            // be far from wherever the pointer was left.
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this, [this, widget] {
                const auto* save = static_cast<const MenuButton*>(widget);
                Q_EMIT saveMenuRequested(save->isClickingByMouse()
                                             ? QCursor::pos()
                                             : save->mapToGlobal(save->rect().bottomLeft()));
            });
            break;
        }
    }
}

void MainWindow::addEntry(ListId list)
{
    // The entry stays in the field, selected, with the focus: the next one
    // typed replaces it, and Enter again adds it again.
    QLineEdit* field = m_entryFields[index(list)];
    Q_EMIT addRequested(list, field->text());
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

void MainWindow::connectList(ListId list)
{
    ListEdit* edit = m_listEdits[index(list)];
    connect(edit, &ListEdit::mousePressed, this, [this, list, edit](Qt::MouseButton button) {
        if (button != Qt::RightButton)
            return;
        m_menuPositions[index(list)] = edit->pressedPosition();
        Q_EMIT copyMenuRequested(list, QCursor::pos());
    });
    connect(edit, &ListEdit::filesDropped, this,
            [this, list](const QStringList& paths) { Q_EMIT filesDropped(list, paths); });
    edit->installEventFilter(this);
}

void MainWindow::addListTools()
{
    // Each list's problem count stands over it; its find bar is made the
    // first time it is asked for.
    for (size_t row = 0; row < m_controls.size(); ++row) {
        const WindowControl& control = mainWindowControls()[row];
        if (control.kind == ControlKind::ProblemCount)
            m_controls[row] = makeControl(control, nullptr);
    }
    new ListZoom(m_listEdits, this);
}

ListFindBar& MainWindow::findBar(ListId list)
{
    ListFindBar*& bar = m_findBars[index(list)];
    if (bar == nullptr)
        bar = new ListFindBar(listEdit(list), listName(list));
    return *bar;
}

void MainWindow::growWithWindow(QSize drawn)
{
    // Grown, the lists share the room; what stands under a list keeps to
    // it, and Load, ABOUT and Save keep their place by the items list.
    m_growth = std::make_unique<WindowGrowth>(drawn);
    for (size_t row = 0; row < m_controls.size(); ++row) {
        const WindowControl& control = mainWindowControls()[row];
        m_growth->add(m_controls[row], control.growth, int(control.list));
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
    findBar(list).open();
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
    QList<QWidget*> labels;
    for (size_t row = 0; row < m_controls.size(); ++row) {
        if (mainWindowControls()[row].kind == ControlKind::FieldLabel)
            labels.append(m_controls[row]);
    }
    std::stable_sort(labels.begin(), labels.end(),
                     [](const QWidget* a, const QWidget* b) { return a->x() > b->x(); });
    for (QWidget* label : labels)
        label->lower();
}

void MainWindow::fitCaptionRows()
{
    QMap<int, QList<QWidget*>> rows;
    for (size_t row = 0; row < m_controls.size(); ++row) {
        if (const int caption = captionRow(mainWindowControls()[row]); caption >= 0)
            rows[caption].append(m_controls[row]);
    }
    for (const QList<QWidget*>& row : rows)
        fitCaptions(row, font());
}

MainWindow::~MainWindow() = default;

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The Menu key or Shift+F10 on a list opens its copy menu at the caret.
    const auto found = std::find(m_listEdits.cbegin(), m_listEdits.cend(), watched);
    if (found == m_listEdits.cend() || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const auto list = static_cast<ListId>(found - m_listEdits.cbegin());
    // Until the list's find bar is made, its keys make it; from then on the
    // bar takes them itself.
    if (m_findBars[index(list)] == nullptr && ListFindBar::opensOn(*key)) {
        findBar(list).open();
        return true;
    }
    if (key->key() != Qt::Key_Menu &&
        !(key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier))
        return false;
    const ListEdit* edit = *found;
    const QRect viewport = edit->viewport()->rect();
    const QPoint caret = edit->cursorRect().bottomLeft();
    // A caret scrolled out of sight still puts the menu at the list's edge.
    const QPoint at(std::clamp(caret.x(), 0, viewport.right()),
                    std::clamp(caret.y(), 0, viewport.bottom()));
    m_menuPositions[index(list)] = edit->textCursor().position();
    Q_EMIT copyMenuRequested(list, edit->viewport()->mapToGlobal(at));
    return true;
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
