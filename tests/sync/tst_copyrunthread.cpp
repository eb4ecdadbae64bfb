#include "copyrunfixture.h"

#include "platform/atomicwrite.h"
#include "support/childprocess.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"
#include "sync/copyrunthread.h"
#include "sync/queuedcopyrunhost.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using platform::FaultyFileCalls;

namespace {

// The window's side: its host runs on the UI thread, behind the queued host.
struct Window {
    CopyRunFixture f;
    QObject context;
    QueuedCopyRunHost queued{f.host, &context};
    CopyRunThread JvThread1;
    QList<const QThread *> freeSpaceThreads;

    Window()
    {
        for (const char *name : {"a", "b"}) {
            f.write(u"src/" + QString::fromLatin1(name), name);
            f.addRow(u'/' + QString::fromLatin1(name));
        }
        f.settings.FilesToCopyCount = 2;
        f.remember();
    }
    bool start()
    {
        return JvThread1.start(f.list, f.settings, f.stop, queued, [this](const QByteArray &, int) {
            freeSpaceThreads.append(QThread::currentThread());
            return 1e12;
        });
    }
};

} // namespace

class CopyRunThreadTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startWithNothingToCopyDoesNothing();
    void runsOnItsThreadAndReportsOnTheUiThread();
    void stopDuringTheQuestionAcrossThreads();
    void goingWhileAQuestionWaitsNeverHangs();
    void noThreadEndsTheRunAsAnError();
};

void CopyRunThreadTest::startWithNothingToCopyDoesNothing()
{
    Window w;
    w.f.settings.FilesToCopyCount = 0;
    w.f.stop = true;
    QSignalSpy finished(&w.JvThread1, &CopyRunThread::finishAll);

    QVERIFY(!w.start());

    QVERIFY(!w.JvThread1.isRunning());
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(w.f.host.events(), QStringList());
    QVERIFY(w.f.stop); // untouched
    QCOMPARE(w.f.changes(), QStringList());
}

void CopyRunThreadTest::runsOnItsThreadAndReportsOnTheUiThread()
{
    Window w;
    w.f.stop = true; // left over from an earlier Stop: the run clears it
    QSignalSpy finished(&w.JvThread1, &CopyRunThread::finishAll);
    int eventsAtFinish = -1;
    connect(&w.JvThread1, &CopyRunThread::finishAll, &w.context,
            [&] { eventsAtFinish = int(w.f.host.events().size()); });

    QVERIFY(w.start());
    QVERIFY(!w.f.stop);
    QVERIFY(!w.start()); // one worker at a time

    QVERIFY(finished.wait(20000));
    QVERIFY(!w.JvThread1.isRunning());
    QCOMPARE(w.JvThread1.lastRun()->end(), CopyRunEnd::Completed);
    QVERIFY(w.f.host.allOn(QThread::currentThread()));
    QCOMPARE(w.freeSpaceThreads.size(), 2);
    QVERIFY(w.freeSpaceThreads.first() != QThread::currentThread());
    // The finish notification comes after every effect of the worker.
    QCOMPARE(eventsAtFinish, int(w.f.host.events().size()));
    QCOMPARE(w.f.host.events().last(), QStringLiteral("cursor 0"));
    QCOMPARE(w.f.changes(), (QStringList{QStringLiteral("dest/a"), QStringLiteral("dest/b")}));
}

void CopyRunThreadTest::stopDuringTheQuestionAcrossThreads()
{
    Window w;
    w.f.settings.FileCompareCopy = true;
    FaultyFileCalls calls; // used on the worker's thread only
    calls.corruptReads(platform::kTempPrefix);
    w.f.settings.fileCalls = &calls;
    // The first copy is verified, and the question asked, before the second begins.
    w.f.settings.commitFiles = 1;
    w.f.settings.commitInBackground = false;
    w.f.host.answer(BoxButton::Ok);
    const QThread *askedOn = nullptr;
    w.f.host.onMessage = [&] {
        askedOn = QThread::currentThread();
        w.f.stop = true;
    };
    QSignalSpy finished(&w.JvThread1, &CopyRunThread::finishAll);

    QVERIFY(w.start());
    QVERIFY(finished.wait(20000));

    QCOMPARE(askedOn, QThread::currentThread());
    QCOMPARE(w.JvThread1.lastRun()->end(), CopyRunEnd::Stopped);
    QCOMPARE(w.f.host.texts(0).last(), QStringLiteral("Erreur : la copie diffère de l'original"));
    QVERIFY(w.f.host.events().contains(QStringLiteral("code 0 -1")));
    QVERIFY(!w.f.host.events().contains(QStringLiteral("row 1")));
    QCOMPARE(w.f.changes(), QStringList());
}

// The window goes while the worker asks it something: the question is abandoned (never shown),
// the run ends as after "&Abandon" or a closed box, and the thread is waited for without the
// UI thread ever serving the worker.
void CopyRunThreadTest::goingWhileAQuestionWaitsNeverHangs()
{
    SKIP_THREADED_CHILD_UNDER_TSAN();
    const ChildOutcome child = runInChild([] {
        auto w = std::make_unique<Window>();
        QSemaphore waiting;
        bool shown = false;
        w->f.host.onMessage = [&shown] { shown = true; };
        w->queued.setWaitingHook([&waiting] { waiting.release(); });
        w->JvThread1.start(w->f.list, w->f.settings, w->f.stop, w->queued,
                           [](const QByteArray &, int) {
                               return 0.0; // nothing fits: the worker asks
                           });
        if (!waiting.tryAcquire(1, 20000))
            return QByteArray("not asked");
        w.reset(); // the worker waits for its answer
        return QByteArray(shown ? "ended, box shown" : "ended, no box");
    });

    QVERIFY2(!child.timedOut, "the window waited for the worker, which waited for the window");
    QCOMPARE(child.output, QByteArray("ended, no box"));
}

// Without a thread to run on, the run ends all the same, on the window's thread, with an error
// that says why, and nothing copied.
void CopyRunThreadTest::noThreadEndsTheRunAsAnError()
{
    Window w;
    QSignalSpy finished(&w.JvThread1, &CopyRunThread::finishAll);
    {
        const platform::NoJobThreads none;
        QVERIFY(w.start());
    }
    QVERIFY(w.JvThread1.isRunning());
    QVERIFY(finished.wait(20000));
    QVERIFY(!w.JvThread1.isRunning());
    QCOMPARE(w.JvThread1.lastRun()->end(), CopyRunEnd::Error);
    QVERIFY(w.JvThread1.lastRun()->errorText().contains(u"n'a pas pu démarrer"));
    QCOMPARE(w.f.changes(), QStringList());
    QVERIFY(w.start()); // the next run is not refused
    QVERIFY(finished.wait(20000));
    QCOMPARE(w.JvThread1.lastRun()->end(), CopyRunEnd::Completed);
}

TANDRIMO_TEST(CopyRunThreadTest)
#include "tst_copyrunthread.moc"
