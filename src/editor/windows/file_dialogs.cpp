// The file dialogs the editor opens unless a test replaces them.

#include "windows/file_dialogs.h"

#include <QFileDialog>

using namespace Qt::StringLiterals;

namespace scp {

QStringList choosePicturesWithDialog(QWidget* parent, const QString& folder)
{
    return QFileDialog::getOpenFileNames(parent, u"Add pictures"_s, folder,
                                         u"BMP pictures (*.bmp *.BMP);;All files (*)"_s);
}

QString chooseFolderWithDialog(QWidget* parent, const QString& folder)
{
    return QFileDialog::getExistingDirectory(parent, u"Open Folder"_s, folder);
}

} // namespace scp
