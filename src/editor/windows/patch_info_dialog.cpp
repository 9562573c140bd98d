// The patch info dialog: its fields, and refusing what the script cannot hold.

#include "windows/patch_info_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

QLineEdit* newField(QWidget* parent, const QString& name, const QString& accessibleName,
                    const QString& text)
{
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(name);
    field->setAccessibleName(accessibleName);
    // Room for a mail line of several addresses, shown from its start.
    field->setMinimumWidth(field->fontMetrics().averageCharWidth() * 72);
    field->setCursorPosition(0);
    return field;
}

QRadioButton* newChoice(QWidget* parent, const QString& name, const QString& caption,
                        const QString& accessibleName)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    return button;
}

} // namespace

PatchInfoDialog::PatchInfoDialog(const PatchInfo& info, QWidget* parent) : QDialog(parent)
{
    setObjectName(u"patchInfoDialog"_s);
    setWindowTitle(u"Patch info"_s);
    setAccessibleName(u"Patch info"_s);

    m_name = newField(this, u"patchNameField"_s, u"Patch name"_s, info.name);
    m_creator = newField(this, u"patchCreatorField"_s, u"Creator"_s, info.creator);
    m_email = newField(this, u"patchMailField"_s, u"Mail"_s, info.email);
    // The script's own words for the two kinds of patch, with its digits.
    m_client = newChoice(this, u"clientPatchButton"_s, u"&Client (0)"_s, u"Client patch"_s);
    m_server = newChoice(this, u"serverPatchButton"_s, u"&Server (1)"_s, u"Server patch"_s);
    (info.server ? m_server : m_client)->setChecked(true);

    auto* kind = new QHBoxLayout;
    kind->addWidget(m_client);
    kind->addWidget(m_server);
    kind->addStretch();
    auto* form = new QFormLayout;
    form->addRow(u"&Name:"_s, m_name);
    form->addRow(u"C&reator:"_s, m_creator);
    form->addRow(u"&Mail:"_s, m_email);
    form->addRow(u"Patch for:"_s, kind);

    m_problems = new QLabel(this);
    m_problems->setObjectName(u"patchInfoProblems"_s);
    m_problems->setAccessibleName(u"Problems"_s);
    m_problems->setTextFormat(Qt::PlainText); // the values are never markup
    m_problems->setWordWrap(true);
    m_problems->setVisible(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &PatchInfoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PatchInfoDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problems);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // grows with the problems shown

    for (QLineEdit* field : {m_name, m_creator, m_email})
        connect(field, &QLineEdit::textChanged, this, &PatchInfoDialog::showProblems);
    showProblems();
}

PatchInfo PatchInfoDialog::patchInfo() const
{
    return {m_name->text(), m_creator->text(), m_email->text(), m_server->isChecked()};
}

QString PatchInfoDialog::problems() const
{
    QStringList lines;
    const struct {
        QString label;
        const QLineEdit* field;
    } fields[] = {{u"Name"_s, m_name}, {u"Creator"_s, m_creator}, {u"Mail"_s, m_email}};
    for (const auto& [label, field] : fields) {
        if (const QString problem = patchInfoValueProblem(field->text()); !problem.isEmpty())
            lines.append(label + u": "_s + problem);
    }
    return lines.join(u'\n');
}

void PatchInfoDialog::showProblems()
{
    const QString text = problems();
    m_problems->setText(text);
    m_problems->setVisible(!text.isEmpty());
    m_ok->setEnabled(text.isEmpty());
}

void PatchInfoDialog::accept()
{
    // Enter reaches here only through an enabled OK; this holds whatever
    // else calls it.
    if (problems().isEmpty())
        QDialog::accept();
}

std::optional<PatchInfo> askForPatchInfo(QWidget* parent, const PatchInfo& info)
{
    PatchInfoDialog dialog(info, parent != nullptr && parent->isVisible() ? parent : nullptr);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.patchInfo();
}

} // namespace scp
