#include "app/instances.h"
#include "ui/form1.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"scpmaker"_s);
    QApplication::setWindowIcon(scp::application_icon());
    // Only closing the main window ends the program: not hiding it for the
    // About window, and not closing the About window while it is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    scp::form1().show();
    const int status = QApplication::exec();
    scp::destroy_instances();
    return status;
}
