#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace scp {

// Hands an About link's command text ("start " followed by an address) to the
// system. Replaceable so tests can record launches instead of opening a
// browser.
using LinkLauncher = std::function<void(const QString& commandText)>;

// Installs `launcher`; an empty function restores the system launcher.
void set_link_launcher(LinkLauncher launcher);

// Runs the installed launcher. Returns at once; the outcome is not observed.
void launch_link(const QString& commandText);

// The address the system launcher opens for a command text: everything after
// the leading "start ", taken as one URL, never as a command line.
QUrl link_address(const QString& commandText);

} // namespace scp
