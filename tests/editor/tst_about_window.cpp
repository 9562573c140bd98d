#include "about_window.h"
#include "editor.h"
#include "fail_on_warnings.h"
#include "link_launcher.h"
#include "main_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

class AboutWindowTest : public QObject {
    Q_OBJECT

    QStringList m_launched;
    std::unique_ptr<scp::Editor> m_editor = std::make_unique<scp::Editor>();
    scp::MainWindow& m_main = m_editor->mainWindow();
    scp::AboutWindow& m_about = m_editor->aboutWindow();

    void pressAbout()
    {
        QTest::mouseClick(m_main.findChild<QPushButton*>(u"Command8"_s), Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(&m_about));
        QVERIFY(!m_main.isVisible());
        QCOMPARE(QApplication::focusWidget(), m_about.findChild<QWidget*>(u"Command1"_s));
    }
    void backToMain()
    {
        QVERIFY(!m_about.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&m_main));
    }

public Q_SLOTS:
    // Stands in for the desktop's browser and mail program.
    void openUrl(const QUrl& url) { m_launched << u"opened "_s + url.toString(); }

private Q_SLOTS:
    void init() { failOnQtWarnings(); }
    void initTestCase()
    {
        m_editor->setLinkLauncher([this](const QString& text) { m_launched << text; });
        m_main.show();
        QVERIFY(QTest::qWaitForWindowActive(&m_main));
    }

    void cleanupTestCase() { m_editor.reset(); }

    void placeAndTheWaysBack()
    {
        // The picture shown as it is: a null image without the JPEG plugin.
        auto* image = m_about.findChild<QLabel*>(u"Image1"_s);
        const QImage picture(u":/about.jpg"_s);
        QCOMPARE(image->grab().toImage().pixel(150, 90), picture.pixel(150, 90));

        // Centred on the screen the first time, and back at the same place
        // after the user has moved it.
        pressAbout();
        const QPoint centre = m_about.screen()->availableGeometry().center();
        QVERIFY2((m_about.geometry().center() - centre).manhattanLength() <= 1,
                 qPrintable(u"%1,%2"_s.arg(m_about.x()).arg(m_about.y())));
        m_about.move(m_about.pos() + QPoint(7, 9));
        const QPoint moved = m_about.pos();
        QTest::keyClick(m_about.windowHandle(), Qt::Key_Return); // reaches the focused Return
        backToMain();
        pressAbout();
        QCOMPARE(m_about.pos(), moved);
        QVERIFY(!m_about.close()); // a window manager's close request
        backToMain();
        QVERIFY(m_about.close()); // hidden, it closes: quitting is never held up
    }

    void links_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("command");
        QTest::newRow("web site") << u"Label3"_s << u"start http://scpmaker.example.org/"_s;
        QTest::newRow("mail") << u"Label2"_s << u"start mailto:scpmaker@example.org"_s;
        QTest::newRow("directory")
            << u"ICQ"_s << u"start http://directory.example.org/scripts/Search.dll?to=100200300"_s;
    }
    void links()
    {
        QFETCH(QString, label);
        QFETCH(QString, command);
        pressAbout();
        auto* link = m_about.findChild<QLabel*>(label);
        m_launched.clear();
        // Pressed, dragged off and released: no click.
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
        QVERIFY(m_launched.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(m_launched, QStringList({command, command}));
        QVERIFY(m_about.isVisible() && !m_main.isVisible());
        QTest::mouseClick(m_about.findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
        backToMain();

        // The desktop launcher opens the address after "start ", as one URL.
        m_launched.clear();
        QDesktopServices::setUrlHandler(u"http"_s, this, "openUrl");
        QDesktopServices::setUrlHandler(u"mailto"_s, this, "openUrl");
        scp::openWithDesktop(command);
        QDesktopServices::unsetUrlHandler(u"http"_s);
        QDesktopServices::unsetUrlHandler(u"mailto"_s);
        QCOMPARE(m_launched, QStringList{u"opened "_s + command.sliced(6)});
    }
};

QTEST_MAIN(AboutWindowTest)
#include "tst_about_window.moc"
