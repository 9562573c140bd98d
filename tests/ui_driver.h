#pragma once

// Answers the popup menus and message boxes an operation opens. The operation
// waits inside their event loops, so the answers come from a timer that looks
// at the active popup and the active modal widget. Each answer is queued
// rather than given from inside the timer's slot: a chosen command may open a
// message box of its own, and Qt does not fire a timer again while its slot
// is still running.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <vector>

class UiDriver : public QObject {
public:
    struct Menu {
        QString name;      // the menu's objectName
        QStringList items; // "objectName=caption", in order
        QPoint at;         // where it opened, in screen coordinates
    };
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };

    UiDriver()
    {
        connect(&m_timer, &QTimer::timeout, this, &UiDriver::poll);
        m_timer.start(10);
    }

    // The next popup gets the item with this objectName clicked; a popup with
    // no answer waiting is closed with Escape.
    void choose(const QString& actionName) { m_answers.push_back(actionName); }

    std::vector<Menu> menus;
    std::vector<Box> boxes;

private:
    void poll()
    {
        if (m_pending)
            return;
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            Menu seen{menu->objectName(), {}, menu->pos()};
            for (QAction* action : menu->actions())
                seen.items << action->objectName() + u'=' + action->text();
            menus.push_back(seen);
            const QString wanted = m_answers.empty() ? QString() : m_answers.front();
            if (!m_answers.empty())
                m_answers.pop_front();
            later([menu = QPointer<QMenu>(menu), wanted] {
                if (menu)
                    answer(menu, wanted);
            });
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes.push_back({box->windowTitle(), box->text(), box->icon()});
            later([button = QPointer<QAbstractButton>(box->button(QMessageBox::Ok))] {
                if (button)
                    QTest::mouseClick(button, Qt::LeftButton);
            });
        }
    }

    template <typename F> void later(F action)
    {
        m_pending = true;
        QMetaObject::invokeMethod(
            this,
            [this, action] {
                m_pending = false;
                action();
            },
            Qt::QueuedConnection);
    }

    static void answer(QMenu* menu, const QString& wanted)
    {
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions())
            if (!wanted.isEmpty() && action->objectName() == wanted)
                chosen = action;
        if (chosen == nullptr) {
            QTest::keyClick(menu, Qt::Key_Escape);
            return;
        }
        const QPoint at = menu->actionGeometry(chosen).center();
        QTest::mouseMove(menu, at);
        QTest::mouseClick(menu, Qt::LeftButton, {}, at);
    }

    QTimer m_timer;
    std::deque<QString> m_answers;
    bool m_pending = false;
};
