// The About window: where it opens, the ways back to the main window, and
// what its links hand to the desktop.

#include "editor.h"
#include "editor_windows.h"
#include "fail_on_warnings.h"
#include "link_launcher.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class AboutWindowTest : public QObject {
    Q_OBJECT

    QStringList m_launched;
    QTemporaryDir m_folder, m_journals;
    std::unique_ptr<scp::Editor> m_editor =
        std::make_unique<scp::Editor>(QDir(m_folder.path()), m_journals.path());
    QWidget& m_main = (m_editor->show(), mainWindow());
    QWidget* m_aboutWindow = nullptr; // made on first use

    void pressAbout()
    {
        QTest::mouseClick(m_main.findChild<QPushButton*>(u"aboutButton"_s), Qt::LeftButton);
        m_aboutWindow = findWidget(u"aboutWindow"_s);
        QVERIFY(QTest::qWaitForWindowActive(m_aboutWindow));
        QVERIFY(!m_main.isVisible());
        QCOMPARE(QApplication::focusWidget(),
                 m_aboutWindow->findChild<QWidget*>(u"returnButton"_s));
        QCOMPARE(m_aboutWindow->windowTitle(), u"About scpmaker"_s);
    }
    void backToMain()
    {
        QVERIFY(!m_aboutWindow->isVisible());
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
        QVERIFY(QTest::qWaitForWindowActive(&m_main));
    }

    void cleanupTestCase() { m_editor.reset(); }

    void placeAndTheWaysBack()
    {
        // Centred on the screen the first time, and back at the same place
        // after the user has moved it.
        pressAbout();
        QWidget& m_about = *m_aboutWindow;
        // The picture shown as it is: a null image without the JPEG plugin.
        auto* image = m_about.findChild<QLabel*>(u"picture"_s);
        const QImage picture(u":/about.jpg"_s);
        QCOMPARE(image->grab().toImage().pixel(150, 90), picture.pixel(150, 90));
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
        QTest::newRow("web site") << u"webLink"_s << u"start http://scpmaker.example.org/"_s;
        QTest::newRow("mail") << u"mailLink"_s << u"start mailto:scpmaker@example.org"_s;
        QTest::newRow("directory")
            << u"directoryLink"_s
            << u"start http://directory.example.org/scripts/Search.dll?to=100200300"_s;
    }
    void links()
    {
        QFETCH(QString, label);
        QFETCH(QString, command);
        pressAbout();
        QWidget& m_about = *m_aboutWindow;
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
        QTest::mouseClick(m_about.findChild<QPushButton*>(u"returnButton"_s), Qt::LeftButton);
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
