// The Import command's file dialog and warning message.

#include "windows/script_import_ui.h"

#include <QDir>
#include <QFileDialog>

using namespace Qt::StringLiterals;

namespace scp {

QString chooseScriptWithDialog(QWidget* parent, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, u"Import mantle.scp"_s, folder,
                                        u"Scripts (*.scp);;All files (*)"_s);
}

QString describeImportWarnings(const QString& path, const QList<ImportWarning>& warnings)
{
    // A message box grows with its text: past this many lines the rest is
    // counted, not shown.
    constexpr qsizetype kShown = 15;
    QString text = u"The lists now hold what \"%1\" holds, but for what is below. Nothing is "
                   u"written until you save.\n"_s.arg(QDir::toNativeSeparators(path));
    for (qsizetype i = 0; i < std::min(kShown, warnings.size()); ++i) {
        const ImportWarning& warning = warnings[i];
        text += u"\nLine %1, column %2: %3"_s.arg(warning.line)
                    .arg(warning.column)
                    .arg(warning.message);
    }
    if (warnings.size() > kShown)
        text += u"\n\n... and %1 more, which scpmaker-compile --import prints in full."_s.arg(
            warnings.size() - kShown);
    return text;
}

} // namespace scp
