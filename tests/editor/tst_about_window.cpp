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
        QWidget& about = *m_aboutWindow;
        // The picture shown as it is: a null image without the JPEG plugin.
        auto* image = about.findChild<QLabel*>(u"picture"_s);
        const QImage picture(u":/about.jpg"_s);
        QCOMPARE(image->grab().toImage().pixel(150, 90), picture.pixel(150, 90));
        const QPoint centre = about.screen()->availableGeometry().center();
        QVERIFY2((about.geometry().center() - centre).manhattanLength() <= 1,
                 qPrintable(u"%1,%2"_s.arg(about.x()).arg(about.y())));
        about.move(about.pos() + QPoint(7, 9));
        const QPoint moved = about.pos();
        QTest::keyClick(about.windowHandle(), Qt::Key_Return); // reaches the focused Return
        backToMain();
        pressAbout();
        QCOMPARE(about.pos(), moved);
        QVERIFY(!about.close()); // a window manager's close request
        backToMain();
        QVERIFY(about.close()); // hidden, it closes: quitting is never held up
    }

    void links()
    {
        // Each link hands its command to the launcher once a click, and
        // none when pressed, dragged off and released; the window stays.
        QDesktopServices::setUrlHandler(u"http"_s, this, "openUrl");
        QDesktopServices::setUrlHandler(u"mailto"_s, this, "openUrl");
        pressAbout();
        const std::pair<const char*, QString> links[] = {
            {"webLink", u"start http://scpmaker.example.org/"_s},
            {"mailLink", u"start mailto:scpmaker@example.org"_s},
            {"directoryLink",
             u"start http://directory.example.org/scripts/Search.dll?to=100200300"_s}};
        for (const auto& [name, command] : links) {
            auto* link = m_aboutWindow->findChild<QLabel*>(QLatin1StringView(name));
            m_launched.clear();
            QTest::mousePress(link, Qt::LeftButton);
            QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
            QVERIFY(m_launched.isEmpty());
            QTest::mouseClick(link, Qt::LeftButton);
            QTest::mouseClick(link, Qt::LeftButton);
            QCOMPARE(m_launched, QStringList({command, command}));
            QVERIFY(m_aboutWindow->isVisible() && !m_main.isVisible());

            // The desktop launcher opens the address after "start ", as one URL.
            m_launched.clear();
            scp::openWithDesktop(command);
            QCOMPARE(m_launched, QStringList{u"opened "_s + command.sliced(6)});
        }
        QDesktopServices::unsetUrlHandler(u"http"_s);
        QDesktopServices::unsetUrlHandler(u"mailto"_s);
        QTest::mouseClick(m_aboutWindow->findChild<QPushButton*>(u"returnButton"_s),
                          Qt::LeftButton);
        backToMain();
    }
};

QTEST_MAIN(AboutWindowTest)
#include "tst_about_window.moc"
