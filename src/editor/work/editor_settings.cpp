// The editor's settings, kept where the platform keeps a user's settings
// (the registry on Windows, ~/.config/scpmaker on Linux), or in the INI file
// of a portable copy.

#include "work/editor_settings.h"

#include "files/folder_check.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

QString& settingsFile()
{
    static QString file; // empty: the platform's place
    return file;
}

// The platform's place in the default format, so tests can point it at a
// scratch folder. Named here rather than through the application's
// organization, which would move the recovery journals' folder.
std::unique_ptr<QSettings> openSettings()
{
    if (!settingsFile().isEmpty())
        return std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::defaultFormat(), QSettings::UserScope,
                                       u"scpmaker"_s, u"scpmaker"_s);
}

const QString kGeometry = u"mainWindow/geometry"_s;
const QString kMaximized = u"mainWindow/maximized"_s;
const QString kZoom = u"lists/zoomPercent"_s;
const QString kRecent = u"folders/recent"_s;

// Whether a window there could be grabbed by its title bar: the strip along
// its top shows on some screen, wide enough to take hold of.
bool reachable(const QRect& client)
{
    const QRect titleStrip(client.left(), client.top() - 24, client.width(), 48);
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(), [&](const QScreen* screen) {
        const QRect shown = screen->availableGeometry().intersected(titleStrip);
        return shown.width() >= 64 && shown.height() >= 16;
    });
}

} // namespace

void keepSettingsIn(const QString& iniFile)
{
    settingsFile() = iniFile;
}

void restoreWindowPlace(QWidget& window)
{
    const auto settings = openSettings();
    const QRect kept = settings->value(kGeometry).toRect();
    if (kept.isValid()) {
        const QSize size = kept.size().expandedTo(window.minimumSize());
        if (reachable(kept))
            window.setGeometry(QRect(kept.topLeft(), size));
        else
            window.resize(size);
    }
    if (settings->value(kMaximized, false).toBool())
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void saveWindowPlace(const QWidget& window)
{
    const auto settings = openSettings();
    // The size and place it goes back to from maximised.
    settings->setValue(kGeometry, window.normalGeometry());
    settings->setValue(kMaximized, window.isMaximized());
}

int savedListZoom()
{
    return openSettings()->value(kZoom, 100).toInt();
}

void saveListZoom(int percent)
{
    openSettings()->setValue(kZoom, percent);
}

QStringList recentFolders()
{
    return openSettings()->value(kRecent).toStringList().mid(0, kRecentFolders);
}

void setRecentFolders(const QStringList& folders)
{
    openSettings()->setValue(kRecent, folders.mid(0, kRecentFolders));
}

void rememberRecentFolder(const QString& folder)
{
    QStringList folders = recentFolders();
    folders.removeIf([&](const QString& kept) { return sameFolder(kept, folder); });
    folders.prepend(folder);
    setRecentFolders(folders);
}

} // namespace scp
