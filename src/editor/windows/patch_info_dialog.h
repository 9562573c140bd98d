#pragma once

// The dialog where the patch's name, creator, mail line and client/server
// choice are edited.

#include "script/patch_info.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace scp {

// Name, Creator and Mail fields and a Client/Server choice, OK and Cancel.
// A value the script cannot hold is named under the fields, and OK stays
// refused until it is put right.
class PatchInfoDialog final : public QDialog {
    Q_OBJECT

public:
    explicit PatchInfoDialog(const PatchInfo& info, QWidget* parent = nullptr);

    // What the fields say now.
    PatchInfo patchInfo() const;

public Q_SLOTS:
    void accept() override;

private:
    // What is wrong with the fields, one line a field; empty when nothing.
    QString problems() const;
    void showProblems();

    QLineEdit* m_name = nullptr;
    QLineEdit* m_creator = nullptr;
    QLineEdit* m_email = nullptr;
    QRadioButton* m_client = nullptr;
    QRadioButton* m_server = nullptr;
    QLabel* m_problems = nullptr;
    QPushButton* m_ok = nullptr;
};

// Shows the dialog modally over `parent`, filled with `info`: what OK
// gave, or none for Cancel.
std::optional<PatchInfo> askForPatchInfo(QWidget* parent, const PatchInfo& info);

} // namespace scp
