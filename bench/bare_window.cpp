// bare_window WIDTH HEIGHT: a bare Qt Widgets window of that size, shown
// at once: the floor start-up is measured against.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(QApplication::arguments().value(1).toInt(),
                  QApplication::arguments().value(2).toInt());
    window.show();
    return QApplication::exec();
}
