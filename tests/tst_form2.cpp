// The About window: its layout, the swap with the main window, the links and
// the ways back.

#include "app/instances.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/link_launcher.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class Form2Test : public QObject {
    Q_OBJECT

    QStringList m_launched;
    scp::Form1& m_main = scp::form1();
    scp::Form2& m_about = scp::form2();

    void pressAbout()
    {
        QTest::mouseClick(m_main.findChild<QPushButton*>(u"Command8"_s), Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(&m_about));
        QVERIFY(!m_main.isVisible());
        QCOMPARE(QApplication::focusWidget(), m_about.findChild<QWidget*>(u"Command1"_s));
    }
    void expectMainBack()
    {
        QVERIFY(!m_about.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&m_main));
    }

private Q_SLOTS:
    void initTestCase()
    {
        scp::set_link_launcher([this](const QString& text) { m_launched << text; });
        m_main.show();
        QVERIFY(QTest::qWaitForWindowActive(&m_main));
    }

    void cleanupTestCase()
    {
        scp::destroy_instances(); // while the application still exists
        scp::set_link_launcher({});
    }

    void layout()
    {
        QCOMPARE(m_about.size(), QSize(346, 286));
        QCOMPARE(m_about.minimumSize(), m_about.maximumSize());
        QVERIFY(m_about.windowFlags() & Qt::FramelessWindowHint);
        auto* image = m_about.findChild<QLabel*>(u"Image1"_s);
        QCOMPARE(image->geometry(), QRect(24, 8, 300, 150));
        QVERIFY(!image->hasScaledContents());
        // The resource shown as it is: a null image without the JPEG plugin.
        const QImage picture(u":/about.jpg"_s);
        QCOMPARE(picture.size(), QSize(300, 150));
        const QImage shown = image->grab().toImage();
        for (const QPoint p : {QPoint(0, 0), QPoint(200, 55), QPoint(150, 90)})
            QCOMPARE(shown.pixel(p), picture.pixel(p));
    }

    void aboutAndTheWaysBack()
    {
        pressAbout();
        QTest::mouseClick(m_about.findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
        expectMainBack();
        pressAbout();
        QTest::keyClick(m_about.windowHandle(), Qt::Key_Return); // reaches the focused Return
        expectMainBack();
        pressAbout();
        QVERIFY(!m_about.close()); // a window manager's close request
        expectMainBack();
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
        m_launched.clear();
        QTest::mouseClick(m_about.findChild<QLabel*>(label), Qt::LeftButton);
        QCOMPARE(m_launched, QStringList{command});
        QVERIFY(m_about.isVisible());
        m_about.Command1_Click();
        expectMainBack();
    }
};

QTEST_MAIN(Form2Test)
#include "tst_form2.moc"
