#include "ui/form1.h"

#include "app/instances.h"
#include "lists/widget_text_box.h"
#include "script/message_box_reporter.h"
#include "script/save_form.h"
#include "ui/form2.h"
#include "ui/layout_units.h"

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

namespace {

int index(ListId list)
{
    return static_cast<int>(list);
}

} // namespace

QString LineEditField::text() const
{
    return m_edit->text();
}

void LineEditField::setText(const QString& text)
{
    m_edit->setText(text);
}

QIcon application_icon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString path = u":/icons/scpmaker-%1.png"_s.arg(size);
        if (QFile::exists(path))
            icon.addFile(path, QSize(size, size));
    }
    if (icon.isNull() && QFile::exists(u":/icons/scpmaker.png"_s))
        icon.addFile(u":/icons/scpmaker.png"_s);
    return icon;
}

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"MoonrakesMantle.zozOzazez"_s);
    setWindowIcon(application_icon());
    const QRect client = twips(1320, 2115, 12165, 5835);
    setFixedSize(client.size());
    move(client.topLeft());

    // Created in tab order, so the focus chain starts out as the table has it.
    auto* load =
        addButton(u"Command1"_s, u"Load"_s, twips(4080, 5160, 1095, 615), &Form1::Command1_Click);
    addListBox(u"RichTextBox1"_s, ListId::Gumps, twips(0, 240, 2655, 3975));
    addEntryField(u"Text1"_s, ListId::Gumps, twips(0, 4680, 2655, 375));
    addButton(u"Command2"_s, u"Add"_s, twips(120, 5160, 495, 375), &Form1::Command2_Click);
    addButton(u"Command3"_s, u"Clear"_s, twips(720, 5160, 495, 375), &Form1::Command3_Click);
    QLineEdit* text2 = addSpacerBox(u"Text2"_s, kGumpTileSpacerWidth);
    addListBox(u"RichTextBox2"_s, ListId::Tiles, twips(2760, 240, 3135, 3975));
    addListBox(u"RichTextBox3"_s, ListId::Items, twips(6000, 240, 6135, 3975));
    addLabel(u"Label1"_s, u"HexID"_s, twips(0, 4440, 615, 375));
    addLabel(u"Label2"_s, u"Filename.bmp"_s, twips(600, 4440, 975, 375));
    addLabel(u"Label3"_s, u"Width"_s, twips(1680, 4440, 615, 375));
    addLabel(u"Label4"_s, u"Height"_s, twips(2160, 4440, 495, 255));
    addButton(u"Command4"_s, u"Clear"_s, twips(3480, 5160, 495, 375), &Form1::Command4_Click);
    addButton(u"Command5"_s, u"Add"_s, twips(2880, 5160, 495, 375), &Form1::Command5_Click);
    addEntryField(u"Text3"_s, ListId::Tiles, twips(2880, 4680, 2655, 375));
    addLabel(u"Label5"_s, u"Height"_s, twips(5040, 4440, 495, 255));
    addLabel(u"Label6"_s, u"Width"_s, twips(4560, 4440, 615, 375));
    addLabel(u"Label7"_s, u"Filename.bmp"_s, twips(3480, 4440, 975, 375));
    addLabel(u"Label8"_s, u"HexID"_s, twips(2880, 4440, 615, 375));
    addButton(u"Command6"_s, u"Clear"_s, twips(9240, 5160, 495, 375), &Form1::Command6_Click);
    addButton(u"Command7"_s, u"Add"_s, twips(9840, 5160, 495, 375), &Form1::Command7_Click);
    addEntryField(u"Text4"_s, ListId::Items, twips(6120, 4680, 5295, 375));
    addLabel(u"Label9"_s, field_hint(ListId::Items), twips(6120, 4440, 5295, 375));
    QLineEdit* text5 = addSpacerBox(u"Text5"_s, kItemSpacerWidth);
    addButton(u"Command8"_s, u"ABOUT"_s, twips(5280, 5160, 1095, 615), &Form1::Command8_Click);
    addButton(u"Command9"_s, u"Save"_s, twips(6480, 5160, 1095, 615), &Form1::Command9_Click);

    // The keyboard walks the controls in the table's order whatever order a
    // later edit creates them in.
    const std::vector<QString> tabOrder{
        u"Command1"_s,     u"RichTextBox1"_s, u"Text1"_s,    u"Command2"_s, u"Command3"_s,
        u"RichTextBox2"_s, u"RichTextBox3"_s, u"Command4"_s, u"Command5"_s, u"Text3"_s,
        u"Command6"_s,     u"Command7"_s,     u"Text4"_s,    u"Command8"_s, u"Command9"_s,
    };
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(findChild<QWidget*>(tabOrder[i - 1]), findChild<QWidget*>(tabOrder[i]));

    m_text2 = std::make_unique<LineEditField>(text2);
    m_text5 = std::make_unique<LineEditField>(text5);
    m_lists = std::make_unique<EntryLists>(
        EntryLists::Parts{m_richTextBox[0], m_richTextBox[1], m_richTextBox[2], m_fields[0].get(),
                          m_fields[1].get(), m_fields[2].get(), m_text2.get(), m_text5.get()});

    m_richTextBox[0]->setMouseDownHandler([this](MouseButton b) { RichTextBox1_MouseDown(b); });
    m_richTextBox[1]->setMouseDownHandler([this](MouseButton b) { RichTextBox2_MouseDown(b); });
    m_richTextBox[2]->setMouseDownHandler([this](MouseButton b) { RichTextBox3_MouseDown(b); });

    fitCaptions();
    load->setFocus(Qt::OtherFocusReason);
}

void Form1::fitCaptions()
{
    // Several field-name labels overlap their right neighbour. Each is drawn
    // under the labels to its right, so every caption starts where it can be
    // read, and can use the part of its rectangle they leave uncovered.
    QList<QLabel*> labels = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    std::stable_sort(labels.begin(), labels.end(), [](const QLabel* a, const QLabel* b) {
        return a->x() < b->x();
    });
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
    const QFont fitted = font_fitting(font(), captions);
    for (QLabel* label : labels)
        label->setFont(fitted);
    for (QPushButton* button : buttons)
        button->setFont(fitted);
}

Form1::~Form1() = default;

QPushButton* Form1::addButton(const QString& name, const QString& caption, const QRect& rect,
                              void (Form1::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(rect);
    button->setFocusPolicy(Qt::StrongFocus);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

WidgetTextBox* Form1::addListBox(const QString& name, ListId list, const QRect& rect)
{
    auto* box = new WidgetTextBox(this);
    box->setObjectName(name);
    box->setGeometry(rect);
    box->setText(list_placeholder(list));
    // The placeholder is where the list starts, not an edit to take back.
    box->document()->clearUndoRedoStacks();
    m_richTextBox[index(list)] = box;
    return box;
}

QLineEdit* Form1::addEntryField(const QString& name, ListId list, const QRect& rect)
{
    auto* field = new QLineEdit(field_hint(list), this);
    field->setObjectName(name);
    field->setGeometry(rect);
    field->setCursorPosition(0);
    m_fields[index(list)] = std::make_unique<LineEditField>(field);
    return field;
}

QLabel* Form1::addLabel(const QString& name, const QString& caption, const QRect& rect)
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
    return label;
}

QLineEdit* Form1::addSpacerBox(const QString& name, int width)
{
    // The spacers live in hidden boxes of the window, as constants the lists
    // read when an entry is added.
    auto* box = new QLineEdit(spacer_text(width), this);
    box->setObjectName(name);
    box->setFocusPolicy(Qt::NoFocus);
    box->hide();
    return box;
}

WidgetTextBox& Form1::listBox(ListId list) const
{
    return *m_richTextBox[index(list)];
}

void Form1::Command1_Click()
{
    MessageBoxReporter reporter(this);
    savefrm().workshop().load_all_sections(lists(), reporter);
}

void Form1::Command2_Click()
{
    lists().add_entry(ListId::Gumps);
}

void Form1::Command3_Click()
{
    lists().clear_list(ListId::Gumps);
}

void Form1::Command4_Click()
{
    lists().clear_list(ListId::Tiles);
}

void Form1::Command5_Click()
{
    lists().add_entry(ListId::Tiles);
}

void Form1::Command6_Click()
{
    lists().clear_list(ListId::Items);
}

void Form1::Command7_Click()
{
    lists().add_entry(ListId::Items);
}

void Form1::Command8_Click()
{
    hide();
    form2().showAbout();
}

void Form1::Command9_Click()
{
    savefrm().popup(savefrm().menu());
}

void Form1::RichTextBox1_MouseDown(MouseButton button)
{
    if (button == MouseButton::Right)
        savefrm().popup(savefrm().menu2());
}

void Form1::RichTextBox2_MouseDown(MouseButton button)
{
    if (button == MouseButton::Right)
        savefrm().popup(savefrm().menu3());
}

void Form1::RichTextBox3_MouseDown(MouseButton button)
{
    if (button == MouseButton::Right)
        savefrm().popup(savefrm().menu4());
}

void Form1::Form_Unload()
{
    // Ends the program at once, whatever other windows exist or are open:
    // exit() leaves every running event loop without asking the other
    // windows (quit() would, and the About window turns a close into Return).
    QCoreApplication::exit(0);
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

} // namespace scp
