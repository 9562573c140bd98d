#pragma once

// Work that waits until a window is on the screen.

#include <QObject>

#include <functional>

namespace scp {

// Runs `work` once, when the event loop next turns after any widget's next
// paint: work the first frame does not need goes after it. Dropped if
// `context` goes first.
void afterFirstPaint(QObject* context, std::function<void()> work);

} // namespace scp
