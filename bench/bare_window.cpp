// bare_window WIDTH HEIGHT [--text]: a bare Qt Widgets window of that size,
// shown at once: the floor start-up is measured against. With --text it
// holds one plain-text box with a line in it, which costs what any window
// showing text pays on its way to the screen (the font configuration, the
// first font, the text cursor's shape) and a bare window never does.

#include <QApplication>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    QWidget window;
    window.resize(arguments.value(1).toInt(), arguments.value(2).toInt());
    if (arguments.value(3) == u"--text"_s) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QPlainTextEdit(u"0x0001 gump.bmp 100 100"_s));
    }
    window.show();
    return QApplication::exec();
}
