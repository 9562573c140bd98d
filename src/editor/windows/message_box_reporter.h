#pragma once

// Reporting in message boxes, for the editor.

#include "script/reporter.h"

#include <QMessageBox>
#include <QPointer>

namespace scp {

// Reports to the user in modal message boxes with one OK button, titled with
// the application's name; the operation waits until the box is closed.
// Failures carry a warning icon.
class MessageBoxReporter final : public Reporter {
public:
    // `parent` only places the box; it may be hidden or gone.
    explicit MessageBoxReporter(QWidget* parent = nullptr) : m_parent(parent) {}

    void information(const QString& text) override;
    void failure(const QString& text) override;

private:
    void show(QMessageBox::Icon icon, const QString& text);

    QPointer<QWidget> m_parent;
};

} // namespace scp
