// The order work runs in, without a window: what is asked for meanwhile runs in
// order after; Cancel stops only its own work; a failure skips its success step.

#include "fail_on_warnings.h"
#include "work/work_queue.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>

namespace {

// Keeps the messages in the log they share with the work.
class LogReporter final : public scp::Reporter {
public:
    explicit LogReporter(QStringList& log) : m_log(log) {}
    void information(const QString& text) override { m_log << u"info: "_s + text; }
    void failure(const QString& text) override { m_log << u"failure: "_s + text; }

private:
    QStringList& m_log;
};

using Scenario = std::function<void(scp::WorkQueue& queue, QStringList& log)>;

// Asks for A and B, each logging its name.
void askAB(scp::WorkQueue& queue, QStringList& log)
{
    for (const QString& name : {u"A"_s, u"B"_s})
        queue.whenFree([&log, name] { log << name; });
}

} // namespace

Q_DECLARE_METATYPE(Scenario)

class WorkQueueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnQtWarnings(); }

    void runsOnePieceAtATimeInTheOrderAsked_data()
    {
        QTest::addColumn<Scenario>("scenario");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("during work, which succeeds")
            << Scenario([](scp::WorkQueue& queue, QStringList& log) {
                   queue.run(
                       [&](scp::Reporter& reporter) {
                           askAB(queue, log);
                           log << u"work"_s;
                           reporter.information(u"done"_s);
                       },
                       false, [&] { log << u"marked"_s; }, [&] { log << u"then"_s; });
               })
            << QStringList{u"work"_s, u"marked"_s, u"info: done"_s, u"then"_s, u"A"_s, u"B"_s};
        QTest::newRow("during work that fails")
            << Scenario([](scp::WorkQueue& queue, QStringList& log) {
                   queue.run(
                       [&](scp::Reporter& reporter) {
                           askAB(queue, log);
                           reporter.failure(u"disk full"_s);
                       },
                       false, [&] { log << u"marked"_s; });
               })
            << QStringList{u"failure: disk full"_s, u"A"_s, u"B"_s};
        QTest::newRow("during a question answered Cancel")
            << Scenario([](scp::WorkQueue& queue, QStringList& log) {
                   queue.whenFree([&] {
                       if (!queue.asking([&] {
                               askAB(queue, log);
                               return false;
                           }))
                           return void(log << u"cancelled"_s);
                       queue.run([&](scp::Reporter&) { log << u"work"_s; });
                   });
               })
            << QStringList{u"cancelled"_s, u"A"_s, u"B"_s};
        QTest::newRow("a Load asked during a question, its message first")
            << Scenario([](scp::WorkQueue& queue, QStringList& log) {
                   queue.whenFree([&] {
                       queue.asking([&] {
                           queue.whenFree([&] {
                               log << u"load"_s;
                               queue.setLoading(true);
                           });
                           askAB(queue, log);
                           return true;
                       });
                   });
                   queue.setLoading(false);
                   queue.tell(u"loaded"_s, true);
                   queue.runWaiting();
               })
            << QStringList{u"load"_s, u"failure: loaded"_s, u"A"_s, u"B"_s};
        QTest::newRow("a step aside, the window's thread free meanwhile")
            << Scenario([](scp::WorkQueue& queue, QStringList& log) {
                   queue.run([&](scp::Reporter& reporter) {
                       std::atomic<bool> timerRan = false;
                       QObject scenario; // the timer goes with it, should the step hold it
                       QTimer::singleShot(0, &scenario, [&] {
                           log << u"timer"_s;
                           queue.whenFree([&] { log << u"asked meanwhile"_s; });
                           timerRan = true;
                       });
                       reporter.runAside([&] {
                           // Held here, the timer would never run.
                           for (QDeadlineTimer wait(5000); !timerRan && !wait.hasExpired();)
                               QThread::msleep(1);
                           log << (QThread::currentThread() == qApp->thread()
                                       ? u"aside, on the window's thread"_s
                                       : u"aside"_s);
                       });
                       reporter.information(u"done"_s);
                   });
               })
            << QStringList{u"timer"_s, u"aside"_s, u"info: done"_s, u"asked meanwhile"_s};
        QTest::newRow("stopped, as the editor leaves its folder")
            << Scenario([](scp::WorkQueue& queue, QStringList& log) {
                   queue.setLoading(true);
                   askAB(queue, log);
                   queue.stop();
                   queue.setLoading(false);
                   queue.runWaiting();
                   askAB(queue, log);
               })
            << QStringList{};
    }
    void runsOnePieceAtATimeInTheOrderAsked()
    {
        QFETCH(Scenario, scenario);
        QFETCH(QStringList, expected);
        QStringList log;
        LogReporter messages(log);
        scp::WorkQueue queue(nullptr, messages);
        scenario(queue, log);
        QCOMPARE(log, expected);
    }
};

QTEST_MAIN(WorkQueueTest)
#include "tst_work_queue.moc"
