#include "main_window.h"

#include "list_edit.h"
#include "twips_layout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

// An entry field or a hidden spacer box, as the lists read and write it.
class LineEditField final : public TextField {
public:
    explicit LineEditField(QLineEdit* edit) : m_edit(edit) {}
    QString text() const override { return m_edit->text(); }
    void setText(const QString& text) override { m_edit->setText(text); }

private:
    QLineEdit* m_edit;
};

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(u":/icons/scpmaker-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"MoonrakesMantle.zozOzazez"_s);
    setWindowIcon(applicationIcon());
    const QRect client = twips(1320, 2115, 12165, 5835);
    setFixedSize(client.size());
    move(client.topLeft());

    // Created in tab order, so the focus chain starts out as the table has it.
    QPushButton* load = addButton(u"Command1"_s, u"Load"_s, twips(4080, 5160, 1095, 615));
    addListEdit(u"RichTextBox1"_s, ListId::Gumps, twips(0, 240, 2655, 3975));
    addEntryField(u"Text1"_s, ListId::Gumps, twips(0, 4680, 2655, 375));
    QPushButton* addGump = addButton(u"Command2"_s, u"Add"_s, twips(120, 5160, 495, 375));
    QPushButton* clearGumps = addButton(u"Command3"_s, u"Clear"_s, twips(720, 5160, 495, 375));
    QLineEdit* gumpTileSpacer = addSpacerBox(u"Text2"_s, kGumpTileSpacerWidth);
    addListEdit(u"RichTextBox2"_s, ListId::Tiles, twips(2760, 240, 3135, 3975));
    addListEdit(u"RichTextBox3"_s, ListId::Items, twips(6000, 240, 6135, 3975));
    addLabel(u"Label1"_s, u"HexID"_s, twips(0, 4440, 615, 375));
    addLabel(u"Label2"_s, u"Filename.bmp"_s, twips(600, 4440, 975, 375));
    addLabel(u"Label3"_s, u"Width"_s, twips(1680, 4440, 615, 375));
    addLabel(u"Label4"_s, u"Height"_s, twips(2160, 4440, 495, 255));
    QPushButton* clearTiles = addButton(u"Command4"_s, u"Clear"_s, twips(3480, 5160, 495, 375));
    QPushButton* addTile = addButton(u"Command5"_s, u"Add"_s, twips(2880, 5160, 495, 375));
    addEntryField(u"Text3"_s, ListId::Tiles, twips(2880, 4680, 2655, 375));
    addLabel(u"Label5"_s, u"Height"_s, twips(5040, 4440, 495, 255));
    addLabel(u"Label6"_s, u"Width"_s, twips(4560, 4440, 615, 375));
    addLabel(u"Label7"_s, u"Filename.bmp"_s, twips(3480, 4440, 975, 375));
    addLabel(u"Label8"_s, u"HexID"_s, twips(2880, 4440, 615, 375));
    QPushButton* clearItems = addButton(u"Command6"_s, u"Clear"_s, twips(9240, 5160, 495, 375));
    QPushButton* addItem = addButton(u"Command7"_s, u"Add"_s, twips(9840, 5160, 495, 375));
    addEntryField(u"Text4"_s, ListId::Items, twips(6120, 4680, 5295, 375));
    addLabel(u"Label9"_s, fieldHint(ListId::Items), twips(6120, 4440, 5295, 375));
    QLineEdit* itemSpacer = addSpacerBox(u"Text5"_s, kItemSpacerWidth);
    QPushButton* about = addButton(u"Command8"_s, u"ABOUT"_s, twips(5280, 5160, 1095, 615));
    QPushButton* save = addButton(u"Command9"_s, u"Save"_s, twips(6480, 5160, 1095, 615));

    // The keyboard walks the controls in the table's order whatever order a
    // later edit creates them in.
    const std::vector<QString> tabOrder{
        u"Command1"_s,     u"RichTextBox1"_s, u"Text1"_s,    u"Command2"_s, u"Command3"_s,
        u"RichTextBox2"_s, u"RichTextBox3"_s, u"Command4"_s, u"Command5"_s, u"Text3"_s,
        u"Command6"_s,     u"Command7"_s,     u"Text4"_s,    u"Command8"_s, u"Command9"_s,
    };
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(findChild<QWidget*>(tabOrder[i - 1]), findChild<QWidget*>(tabOrder[i]));

    m_gumpTileSpacer = std::make_unique<LineEditField>(gumpTileSpacer);
    m_itemSpacer = std::make_unique<LineEditField>(itemSpacer);
    m_lists = std::make_unique<EntryLists>(std::array<EntryLists::List, 3>{
        EntryLists::List{m_listEdits[0], m_fields[0].get(), m_gumpTileSpacer.get()},
        EntryLists::List{m_listEdits[1], m_fields[1].get(), m_gumpTileSpacer.get()},
        EntryLists::List{m_listEdits[2], m_fields[2].get(), m_itemSpacer.get()},
    });

    connect(load, &QPushButton::clicked, this, &MainWindow::loadRequested);
    connect(about, &QPushButton::clicked, this, &MainWindow::aboutRequested);
    connect(save, &QPushButton::clicked, this, &MainWindow::saveMenuRequested);
    const std::array<std::pair<QPushButton*, ListId>, 3> adds{
        {{addGump, ListId::Gumps}, {addTile, ListId::Tiles}, {addItem, ListId::Items}}};
    for (const auto& [button, list] : adds)
        connect(button, &QPushButton::clicked, this, [this, list = list] { addEntry(list); });
    const std::array<std::pair<QPushButton*, ListId>, 3> clears{
        {{clearGumps, ListId::Gumps}, {clearTiles, ListId::Tiles}, {clearItems, ListId::Items}}};
    for (const auto& [button, list] : clears)
        connect(button, &QPushButton::clicked, this, [this, list = list] { clearList(list); });
    for (ListId list : kAllLists) {
        connect(m_listEdits[index(list)], &ListEdit::mousePressed, this,
                [this, list](Qt::MouseButton button) {
                    if (button == Qt::RightButton)
                        Q_EMIT copyMenuRequested(list);
                });
    }

    fitCaptions();
    load->setFocus(Qt::OtherFocusReason);
}

void MainWindow::fitCaptions()
{
    // Several field-name labels overlap their right neighbour. Each is drawn
    // under the labels to its right, so every caption starts where it can be
    // read, and can use the part of its rectangle they leave uncovered.
    QList<QLabel*> labels = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    std::stable_sort(labels.begin(), labels.end(),
                     [](const QLabel* a, const QLabel* b) { return a->x() < b->x(); });
    const QList<QPushButton*> buttons = findChildren<QPushButton*>(Qt::FindDirectChildrenOnly);
    QList<CaptionRoom> captions;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        labels[i]->raise();
        const QRect rect = labels[i]->geometry();
        int width = rect.width();
        for (qsizetype j = i + 1; j < labels.size(); ++j) {
            const QRect above = labels[j]->geometry();
            if (above.intersects(rect))
                width = std::min(width, above.left() - rect.left());
        }
        captions.append({labels[i]->text(), QSize(width, rect.height())});
    }
    for (const QPushButton* button : buttons) {
        const int margin = 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                           button->style()->pixelMetric(QStyle::PM_ButtonMargin);
        captions.append({button->text(), button->size() - QSize(margin, margin / 2)});
    }
    const QFont fitted = fontFitting(font(), captions);
    for (QLabel* label : labels)
        label->setFont(fitted);
    for (QPushButton* button : buttons)
        button->setFont(fitted);
}

MainWindow::~MainWindow() = default;

QPushButton* MainWindow::addButton(const QString& name, const QString& caption, const QRect& rect)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(rect);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void MainWindow::addListEdit(const QString& name, ListId list, const QRect& rect)
{
    auto* edit = new ListEdit(this);
    edit->setObjectName(name);
    edit->setGeometry(rect);
    edit->setText(listPlaceholder(list));
    // The placeholder is where the list starts, not an edit to take back.
    edit->document()->clearUndoRedoStacks();
    m_listEdits[index(list)] = edit;
}

void MainWindow::addEntryField(const QString& name, ListId list, const QRect& rect)
{
    auto* field = new QLineEdit(fieldHint(list), this);
    field->setObjectName(name);
    field->setGeometry(rect);
    field->setCursorPosition(0);
    m_fields[index(list)] = std::make_unique<LineEditField>(field);
}

void MainWindow::addLabel(const QString& name, const QString& caption, const QRect& rect)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The desktop's window colours (those of an edit field's background and
    // text), not the dialog face the window itself is painted with.
    label->setBackgroundRole(QPalette::Base);
    label->setForegroundRole(QPalette::Text);
    label->setAutoFillBackground(true);
}

QLineEdit* MainWindow::addSpacerBox(const QString& name, int width)
{
    // The spacers live in hidden boxes of the window, as constants the lists
    // read when an entry is added.
    auto* box = new QLineEdit(spacerText(width), this);
    box->setObjectName(name);
    box->setFocusPolicy(Qt::NoFocus);
    box->hide();
    return box;
}

void MainWindow::addEntry(ListId list)
{
    m_lists->addEntry(list);
}

void MainWindow::clearList(ListId list)
{
    m_lists->clearList(list);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Ends the program at once, whatever other windows exist or are open:
    // exit() leaves every running event loop without asking the other
    // windows (quit() would, and the About window turns a close into Return).
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace scp
