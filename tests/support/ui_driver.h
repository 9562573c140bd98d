#pragma once

// Answers the popup menus and message boxes an operation opens. The operation
// waits inside their event loops, so the answers come from a timer that looks
// at the active popup and the active modal widget.

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

class UiDriver : public QObject {
public:
    QStringList menus; // each as "name: item=caption item=caption"
    QStringList boxes; // each box's text, after "warning: " on a warning

    UiDriver()
    {
        connect(&m_timer, &QTimer::timeout, this, &UiDriver::poll);
        m_timer.start(10);
    }

    // The next popup gets the item with this objectName clicked; a popup with
    // no answer waiting is closed with Escape. Message boxes get OK.
    void choose(const QString& actionName) { m_answers << actionName; }

private:
    void poll()
    {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            const QString wanted = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
            QAction* chosen = nullptr;
            QStringList items;
            for (QAction* action : menu->actions()) {
                items << action->objectName() + u'=' + action->text();
                if (!wanted.isEmpty() && action->objectName() == wanted)
                    chosen = action;
            }
            menus << menu->objectName() + QStringLiteral(": ") + items.join(u' ');
            answerLater([menu, chosen] {
                if (chosen == nullptr)
                    return QTest::keyClick(menu, Qt::Key_Escape);
                const QPoint at = menu->actionGeometry(chosen).center();
                QTest::mouseMove(menu, at);
                QTest::mouseClick(menu, Qt::LeftButton, {}, at);
            });
        } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            const bool warning = box->icon() == QMessageBox::Warning;
            boxes << (warning ? QStringLiteral("warning: ") : QString()) + box->text();
            QAbstractButton* ok = box->button(QMessageBox::Ok);
            answerLater([ok] { QTest::mouseClick(ok, Qt::LeftButton); });
        }
    }

    // Answers once the timer's slot has returned, with the timer running
    // again: a chosen command may open a message box of its own, and Qt does
    // not fire a timer again while its slot is still running.
    void answerLater(std::function<void()> answer)
    {
        m_timer.stop();
        QTimer::singleShot(0, this, [this, answer] {
            m_timer.start();
            answer();
        });
    }

    QTimer m_timer;
    QStringList m_answers;
};
