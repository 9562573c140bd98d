#pragma once

// Answers the menus and message boxes an operation opens, from a timer watching
// the active popup and modal widget while the operation waits in their loops.

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

    // The next popup gets this objectName's item clicked; one unanswered gets Escape.
    void choose(const QString& actionName) { m_answers << actionName; }
    // The next box with more than OK gets this answer (or fails the test, Escaped); OK-only get OK.
    void answer(const QString& button) { m_boxAnswers << button; }

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
            if (box->buttons().size() == 1 && box->button(QMessageBox::Ok) != nullptr) {
                QAbstractButton* ok = box->button(QMessageBox::Ok);
                return answerLater([ok] { QTest::mouseClick(ok, Qt::LeftButton); });
            }
            QString wanted = m_boxAnswers.isEmpty() ? QString() : m_boxAnswers.takeFirst();
            if (wanted.isEmpty()) {
                QTest::qFail("a question came with no answer waiting", __FILE__, __LINE__);
                wanted = QStringLiteral("Escape");
            }
            QAbstractButton* button = nullptr;
            for (QAbstractButton* candidate : box->buttons())
                if (candidate->text().remove(u'&') == wanted)
                    button = candidate;
            answerLater([box, button, wanted] {
                if (wanted == QStringLiteral("close"))
                    box->close();
                else if (button != nullptr)
                    QTest::mouseClick(button, Qt::LeftButton);
                else
                    QTest::keyClick(box, Qt::Key_Escape);
            });
        }
    }

    // Answers once the slot has returned, the timer running again: Qt fires no timer
    // whose slot still runs, and a command may open a box of its own.
    void answerLater(std::function<void()> answer)
    {
        m_timer.stop();
        QTimer::singleShot(0, this, [this, answer] {
            m_timer.start();
            answer();
        });
    }

    QTimer m_timer;
    QStringList m_answers, m_boxAnswers;
};
