// Opening the About window's links with the desktop's programs.

#include "windows/link_launcher.h"

#include <QDesktopServices>

using namespace Qt::StringLiterals;

namespace scp {

void openWithDesktop(const QString& commandText)
{
    // The browser for http, the mail program for mailto. No shell is
    // involved, so nothing in the text can run as a command, and openUrl()
    // does not wait for that program.
    QDesktopServices::openUrl(linkAddress(commandText)); // result not observed
}

QUrl linkAddress(const QString& commandText)
{
    const QLatin1StringView start = "start "_L1;
    const QString address =
        commandText.startsWith(start) ? commandText.sliced(start.size()) : commandText;
    return QUrl(address, QUrl::StrictMode);
}

} // namespace scp
