#pragma once

// Handing the About window's links to the desktop.

#include <QString>
#include <QUrl>

#include <functional>

namespace scp {

// Hands an About link's command text ("start " followed by an address) to the
// system and returns at once; the outcome is not observed. The editor holds
// one; tests put a recording one in its place.
using LinkLauncher = std::function<void(const QString& commandText)>;

// The system launcher: the desktop's default program for the address.
void openWithDesktop(const QString& commandText);

// The address the system launcher opens for a command text: everything after
// the leading "start ", taken as one URL, never as a command line.
QUrl linkAddress(const QString& commandText);

} // namespace scp
