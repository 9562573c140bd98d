#pragma once

#include "lists/entry_lists.h"
#include "lists/text_box.h"

#include <QIcon>
#include <QWidget>

#include <memory>

class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace scp {

class WidgetTextBox;

// An entry field or a hidden spacer box, as the lists read and write it.
class LineEditField final : public TextField {
public:
    explicit LineEditField(QLineEdit* edit) : m_edit(edit) {}
    QString text() const override;
    void setText(const QString& text) override;

private:
    QLineEdit* m_edit;
};

// The program's icon, in every size the resources hold.
QIcon application_icon();

// The main window: the three lists side by side, each with its field-name
// labels, entry field, Add and Clear; Load, ABOUT and Save in the middle row.
// Fixed size, no minimize or maximize box; closing it ends the program.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    EntryLists& lists() { return *m_lists; }
    const EntryLists& lists() const { return *m_lists; }
    WidgetTextBox& listBox(ListId list) const;

    // One handler per handled event, named by control and event.
    void Command1_Click(); // Load
    void Command2_Click(); // gumps Add
    void Command3_Click(); // gumps Clear
    void Command4_Click(); // tiles Clear
    void Command5_Click(); // tiles Add
    void Command6_Click(); // items Clear
    void Command7_Click(); // items Add
    void Command8_Click(); // ABOUT
    void Command9_Click(); // Save menu
    void RichTextBox1_MouseDown(MouseButton button);
    void RichTextBox2_MouseDown(MouseButton button);
    void RichTextBox3_MouseDown(MouseButton button);
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* addButton(const QString& name, const QString& caption, const QRect& rect,
                           void (Form1::*handler)());
    WidgetTextBox* addListBox(const QString& name, ListId list, const QRect& rect);
    QLineEdit* addEntryField(const QString& name, ListId list, const QRect& rect);
    QLabel* addLabel(const QString& name, const QString& caption, const QRect& rect);
    void fitCaptions();
    QLineEdit* addSpacerBox(const QString& name, int width);

    WidgetTextBox* m_richTextBox[3] = {};
    std::unique_ptr<LineEditField> m_fields[3];
    std::unique_ptr<LineEditField> m_text2;
    std::unique_ptr<LineEditField> m_text5;
    std::unique_ptr<EntryLists> m_lists;
};

} // namespace scp
