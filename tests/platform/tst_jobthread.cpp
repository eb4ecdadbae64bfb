#include "platform/jobthread.h"
#include "support/testmain.h"

#include <QTest>

#include <pthread.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using platform::Job;
using platform::JobResult;

// A job's result arrives whether or not a thread could be had, and what the work threw
// reaches the caller.
class JobThreadTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void resultWithOrWithoutAThread_data()
    {
        QTest::addColumn<bool>("threads");
        QTest::newRow("on a thread of its own") << true;
        QTest::newRow("no thread to be had: here, at once") << false;
    }
    void resultWithOrWithoutAThread()
    {
        QFETCH(bool, threads);
        std::optional<platform::NoJobThreads> none;
        if (!threads)
            none.emplace();
        const std::thread::id caller = std::this_thread::get_id();
        JobResult named(Job::ListSort, [] {
            char name[16] = {};
            pthread_getname_np(pthread_self(), name, sizeof name);
            return std::make_pair(std::string(name), std::this_thread::get_id());
        });
        if (!threads)
            QVERIFY(!named.running());
        const auto [name, where] = named.get();
        QCOMPARE(where == caller, !threads);
        if (threads)
            QCOMPARE(QByteArray(name.c_str()), QByteArray(platform::jobName(Job::ListSort)));

        // What the work owns is still whole when it runs here after a thread was refused.
        JobResult owning(Job::RowSides,
                         [lines = std::vector<std::string>(3, "ligne")] { return lines.size(); });
        QCOMPARE(owning.get(), std::size_t(3));

        JobResult failing(Job::RowSides, []() -> int { throw std::runtime_error("lu en partie"); });
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, failing.get());

        platform::JobThread thread;
        QCOMPARE(thread.start(Job::PathProbe, [] {}), threads);
        QCOMPARE(platform::JobThread::startDetached(Job::PathProbe, [] {}), threads);
    }
};

TANDRIMO_TEST(JobThreadTest)
#include "tst_jobthread.moc"
