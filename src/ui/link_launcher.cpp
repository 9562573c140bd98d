#include "ui/link_launcher.h"

#include <QDesktopServices>

using namespace Qt::StringLiterals;

namespace scp {
namespace {

// The system launcher: the desktop's default program for the address (browser
// for http, mail program for mailto). No shell is involved, so nothing in the
// text can run as a command, and openUrl() does not wait for that program.
void open_with_desktop(const QString& commandText)
{
    QDesktopServices::openUrl(link_address(commandText)); // result not observed
}

LinkLauncher& installed()
{
    static LinkLauncher launcher = open_with_desktop;
    return launcher;
}

} // namespace

void set_link_launcher(LinkLauncher launcher)
{
    installed() = launcher ? std::move(launcher) : LinkLauncher(open_with_desktop);
}

void launch_link(const QString& commandText)
{
    installed()(commandText);
}

QUrl link_address(const QString& commandText)
{
    const QLatin1StringView start = "start "_L1;
    const QString address =
        commandText.startsWith(start) ? commandText.sliced(start.size()) : commandText;
    return QUrl(address, QUrl::StrictMode);
}

} // namespace scp
