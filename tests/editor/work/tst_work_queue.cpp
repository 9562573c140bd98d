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
        QTest::addColumn<QString>("expected"); // the log, joined by " / "
        const auto row = [](const char* name, const QString& expected, const Scenario& scenario) {
            QTest::newRow(name) << scenario << expected;
        };
        row("during work, which succeeds", u"work / marked / info: done / then / A / B"_s,
            [](auto& queue, auto& log) {
                const auto work = [&](scp::Reporter& reporter) {
                    askAB(queue, log);
                    log << u"work"_s;
                    reporter.information(u"done"_s);
                };
                queue.run(
                    work, false, [&] { log << u"marked"_s; }, [&] { log << u"then"_s; });
            });
        row("during work that fails", u"failure: disk full / A / B"_s, [](auto& queue, auto& log) {
            const auto work = [&](scp::Reporter& reporter) {
                askAB(queue, log);
                reporter.failure(u"disk full"_s);
            };
            queue.run(work, false, [&] { log << u"marked"_s; });
        });
        row("during a question answered Cancel", u"cancelled / A / B"_s,
            [](auto& queue, auto& log) {
                queue.whenFree([&] {
                    if (!queue.asking([&] { return askAB(queue, log), false; }))
                        return void(log << u"cancelled"_s);
                    queue.run([&](scp::Reporter&) { log << u"work"_s; });
                });
            });
        row("a Load asked during a question, its message first",
            u"load / failure: loaded / A / B"_s, [](auto& queue, auto& log) {
                queue.whenFree([&] {
                    queue.asking([&] {
                        queue.whenFree([&] { log << u"load"_s, queue.setLoading(true); });
                        return askAB(queue, log), true;
                    });
                });
                queue.setLoading(false);
                queue.tell(u"loaded"_s, true);
                queue.runWaiting();
            });
        row("a step aside, the window's thread free meanwhile",
            u"timer / aside / info: done / asked meanwhile"_s, [](auto& queue, auto& log) {
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
            });
        row("stopped, as the editor leaves its folder", {}, [](auto& queue, auto& log) {
            queue.setLoading(true);
            askAB(queue, log);
            queue.stop();
            queue.setLoading(false);
            queue.runWaiting();
            askAB(queue, log);
        });
    }
    void runsOnePieceAtATimeInTheOrderAsked()
    {
        QFETCH(Scenario, scenario);
        QFETCH(QString, expected);
        QStringList log;
        LogReporter messages(log);
        scp::WorkQueue queue(nullptr, messages);
        scenario(queue, log);
        QCOMPARE(log.join(u" / "), expected);
    }
};

QTEST_MAIN(WorkQueueTest)
#include "tst_work_queue.moc"
