#pragma once

// Lists of no folder moving into one the user chooses.

#include <QString>

#include <functional>

class QWidget;

namespace scp {

class WorkQueue;

// Asks, for lists of no folder about to be saved (or, with `compile`,
// compiled), for a folder of their own with `choose`, and copies the
// pictures in `pictures` there: the folder, or empty when the user cancelled
// or the folder will not do (said, with nothing written).
using FolderChooser = std::function<QString(QWidget* parent, const QString& folder)>;
QString chooseAHome(WorkQueue& queue, QWidget* window, const FolderChooser& choose, bool compile,
                    const QString& pictures);

// Why lists of no folder, with the pictures added to them in `pictures`,
// cannot move to `path` (it cannot be opened or written, or holds a file of
// theirs), or empty when they can.
QString whyNoHomeFor(const QString& path, const QString& pictures);
// Copies the pictures in `pictures` into `path`; the problem, with nothing
// copied, when one cannot be.
QString copyPicturesTo(const QString& path, const QString& pictures);

} // namespace scp
