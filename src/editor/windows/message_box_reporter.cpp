// Message boxes for what operations report.

#include "windows/message_box_reporter.h"

#include <QCoreApplication>

namespace scp {

void MessageBoxReporter::information(const QString& text)
{
    // The confirmations carry no icon, as they always have.
    show(QMessageBox::NoIcon, text);
}

void MessageBoxReporter::failure(const QString& text)
{
    show(QMessageBox::Warning, text);
}

void MessageBoxReporter::show(QMessageBox::Icon icon, const QString& text)
{
    QWidget* parent = m_parent && m_parent->isVisible() ? m_parent.data() : nullptr;
    QMessageBox box(icon, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText); // file names and list text are never markup
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace scp
