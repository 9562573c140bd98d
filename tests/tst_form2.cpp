// The About window: its layout, the swap with the main window, the three
// links and the ways back to the main window.

#include "app/instances.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/link_launcher.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QWidget& main_window()
{
    return scp::form1();
}

scp::Form2& about()
{
    return scp::form2();
}

template <typename T> T* control(const char* name)
{
    auto* widget = about().findChild<T*>(QLatin1StringView(name));
    Q_ASSERT(widget);
    return widget;
}

bool is_red(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

bool is_black(QRgb pixel)
{
    return qRed(pixel) < 20 && qGreen(pixel) < 20 && qBlue(pixel) < 20;
}

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT

    QStringList m_launched;

    // Presses the main window's ABOUT button, as the user does.
    void press_about()
    {
        auto* button = main_window().findChild<QPushButton*>(u"Command8"_s);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(about().isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&about()));
    }

    void expect_main_shown()
    {
        QVERIFY(!about().isVisible());
        QVERIFY(main_window().isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&main_window()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        scp::set_link_launcher([this](const QString& text) { m_launched << text; });
        main_window().show();
        QVERIFY(QTest::qWaitForWindowActive(&main_window()));
    }

    void cleanupTestCase()
    {
        scp::destroy_instances(); // while the application still exists
        scp::set_link_launcher({});
    }

    void cleanup()
    {
        if (about().isVisible())
            about().Command1_Click();
        m_launched.clear();
    }

    // Runs before the window is first shown: placement is checked below.
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("Image1") << u"Image1"_s << QRect(24, 8, 300, 150);
        QTest::newRow("Label1") << u"Label1"_s << QRect(40, 160, 257, 57);
        QTest::newRow("ICQ") << u"ICQ"_s << QRect(24, 232, 73, 17);
        QTest::newRow("Label3") << u"Label3"_s << QRect(264, 240, 81, 25);
        QTest::newRow("Command1") << u"Command1"_s << QRect(128, 248, 89, 25);
        QTest::newRow("Label2") << u"Label2"_s << QRect(24, 256, 89, 17);
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        auto* widget = about().findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), rect);
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
            // Readable: the whole caption fits its rectangle, wrapped at words.
            const QRect needed =
                QFontMetrics(label->font())
                    .boundingRect(QRect(0, 0, rect.width(), 1000), Qt::TextWordWrap, label->text());
            QVERIFY2(needed.width() <= rect.width() && needed.height() <= rect.height(),
                     qPrintable(label->text()));
        }
    }

    void window_properties()
    {
        QVERIFY(about().isWindow());
        QCOMPARE(about().windowType(), Qt::Tool); // top-level, no task-bar button
        QVERIFY(about().windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(about().windowTitle(), u"Form2"_s);
        QCOMPARE(about().size(), QSize(346, 286));
        QCOMPARE(about().minimumSize(), about().maximumSize());

        // Only Return can take the focus.
        for (QWidget* child : about().findChildren<QWidget*>()) {
            if (child->focusPolicy() != Qt::NoFocus)
                QCOMPARE(child->objectName(), u"Command1"_s);
        }
    }

    void picture_is_the_resource_unscaled()
    {
        const QImage picture(u":/about.jpg"_s);
        QCOMPARE(picture.size(), QSize(300, 150)); // also fails without the JPEG plugin
        auto* image = control<QLabel>("Image1");
        QVERIFY(!image->hasScaledContents());
        QCOMPARE(image->pixmap().size(), QSize(300, 150));
        const QImage shown = image->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = picture.convertToFormat(QImage::Format_RGB32);
        for (const QPoint p : {QPoint(0, 0), QPoint(150, 40), QPoint(299, 149), QPoint(70, 100)})
            QCOMPARE(shown.pixel(p), expected.pixel(p));
    }

    void colours()
    {
        const QImage window = about().grab().toImage();
        QVERIFY(is_black(window.pixel(2, 2)));
        QVERIFY(is_black(window.pixel(343, 200)));

        for (const char* name : {"Label1", "ICQ", "Label3", "Label2"}) {
            const QImage label = control<QLabel>(name)->grab().toImage();
            int red = 0, black = 0;
            for (int y = 0; y < label.height(); ++y) {
                for (int x = 0; x < label.width(); ++x) {
                    red += is_red(label.pixel(x, y));
                    black += is_black(label.pixel(x, y));
                }
            }
            QVERIFY2(red > 0, name);
            QVERIFY2(black > label.width() * label.height() / 2, name);
        }

        const QImage button = control<QPushButton>("Command1")->grab().toImage();
        int red = 0;
        for (int y = 0; y < button.height(); ++y) {
            for (int x = 0; x < button.width(); ++x)
                red += is_red(button.pixel(x, y));
        }
        QVERIFY(red > button.width() * button.height() / 2);
    }

    void about_then_return()
    {
        press_about();
        QVERIFY(!main_window().isVisible());
        // First show: centred on the screen.
        const QRect screen = about().screen()->availableGeometry();
        QVERIFY(qAbs(about().geometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(about().geometry().center().y() - screen.center().y()) <= 1);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>("Command1"));

        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        expect_main_shown();
    }

    void about_again_keeps_instance_and_place()
    {
        scp::Form2* first = &about();
        const QPoint elsewhere = about().pos() + QPoint(31, 17);
        about().move(elsewhere); // not re-centred on the next show
        press_about();
        QCOMPARE(&about(), first);
        QCOMPARE(about().pos(), elsewhere);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>("Command1"));
    }

    void keys_on_return_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }

    void keys_on_return()
    {
        QFETCH(int, key);
        press_about();
        // Typed at the window: it reaches whatever has the focus.
        QTest::keyClick(about().windowHandle(), Qt::Key(key));
        expect_main_shown();
    }

    void close_request_acts_as_return()
    {
        press_about();
        QVERIFY(!about().close());
        expect_main_shown();
        // Hidden, it closes like any window, so quitting is never held up.
        QVERIFY(about().close());
        QVERIFY(main_window().isVisible());
    }

    void links_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("command");
        QTest::newRow("web site") << u"Label3"_s << u"start http://scpmaker.example.org/"_s;
        QTest::newRow("mail") << u"Label2"_s << u"start mailto:scpmaker@example.org"_s;
        QTest::newRow("directory")
            << u"ICQ"_s << u"start http://directory.example.org/scripts/Search.dll?to=100200300"_s;
    }

    void links()
    {
        QFETCH(QString, name);
        QFETCH(QString, command);
        press_about();
        auto* label = about().findChild<QLabel*>(name);
        QVERIFY(label);

        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(m_launched, QStringList{command});
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(m_launched, QStringList({command, command}));
        QVERIFY(about().isVisible());
        QVERIFY(!main_window().isVisible());

        // Not clicks: the right button, and a press released off the label.
        QTest::mouseClick(label, Qt::RightButton);
        QTest::mousePress(label, Qt::LeftButton);
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 5, 2));
        QCOMPARE(m_launched.size(), 2);

        // The default launcher opens the address after "start " as one URL.
        const QUrl address = scp::link_address(command);
        QVERIFY(address.isValid());
        QCOMPARE(address.toString(), command.sliced(6));
    }

    void other_clicks_launch_nothing()
    {
        press_about();
        QTest::mouseClick(control<QLabel>("Label1"), Qt::LeftButton);
        QTest::mouseClick(control<QLabel>("Image1"), Qt::LeftButton);
        QTest::mouseClick(&about(), Qt::LeftButton, {}, QPoint(5, 280));
        QTest::mouseClick(&about(), Qt::LeftButton, {}, QPoint(340, 170));
        QVERIFY(m_launched.isEmpty());
        QVERIFY(about().isVisible());
        QVERIFY(!main_window().isVisible());
    }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
