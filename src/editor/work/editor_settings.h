#pragma once

// What the editor remembers between runs: the main window's size and place,
// and how far the lists are zoomed. Nothing about the lists' text.

#include <QStringList>

class QString;
class QWidget;

namespace scp {

// What the editor remembers goes to this INI file from now on, instead of
// the platform's place for a user's settings (the registry on Windows).
void keepSettingsIn(const QString& iniFile);

// Puts `window` where it was last left: its size, its place when that is
// still on a screen, and maximised if it was. A window never left anywhere
// keeps the place and size it has.
void restoreWindowPlace(QWidget& window);
void saveWindowPlace(const QWidget& window);

// The folders the editor last worked in, the most recent first, at most
// kRecentFolders; each as the absolute path it was opened by.
inline constexpr int kRecentFolders = 8;
QStringList recentFolders();
// Puts `folder` first, once.
void rememberRecentFolder(const QString& folder);
void setRecentFolders(const QStringList& folders);

// The lists' zoom in percent of their normal size; 100 when none was kept.
int savedListZoom();
void saveListZoom(int percent);

} // namespace scp
