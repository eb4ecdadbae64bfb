#include "recordinghost.h"

#include "support/testmain.h"
#include "sync/queuedcopyrunhost.h"

#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <functional>

namespace {

// Runs calls on a thread of its own, as the copy run's worker does, and waits for it.
void onWorker(const std::function<void()> &calls)
{
    QThread *worker = QThread::create(calls);
    worker->start();
    worker->wait();
    delete worker;
}

} // namespace

class QueuedCopyRunHostTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void deliversWhileTheWorkerGoesOn();
    void deliveryKeepsEveryRowsTextsAndTheLastOfTheRest();
    void aBoxComesAfterEverythingBeforeIt();
};

// Effects reach the window soon after they are made, not only when the run ends.
void QueuedCopyRunHostTest::deliversWhileTheWorkerGoesOn()
{
    RecordingHost recorder;
    QObject context;
    QueuedCopyRunHost host(recorder, &context);
    QSemaphore seen;
    QThread *worker = QThread::create([&] {
        host.setRowStatusText(0, QStringLiteral("Copie..."));
        seen.acquire(); // the worker goes on only once the window has shown it
        host.setRowStatusText(0, QStringLiteral("Copié"));
    });
    worker->start();

    QTRY_COMPARE_WITH_TIMEOUT(recorder.events(), QStringList{QStringLiteral("text 0 Copie...")},
                              5000);
    QVERIFY(recorder.allOn(QThread::currentThread()));
    seen.release();
    worker->wait();
    delete worker;
    QTRY_COMPARE_WITH_TIMEOUT(recorder.texts(0),
                              (QStringList{QStringLiteral("Copie..."), QStringLiteral("Copié")}),
                              5000);
}

// What one delivery carries: every cursor change, click handler and row text or code, in order;
// of the current row, each panel and the progress, only what the window would end up showing,
// at the place of the last call.
void QueuedCopyRunHostTest::deliveryKeepsEveryRowsTextsAndTheLastOfTheRest()
{
    RecordingHost recorder;
    QObject context;
    QueuedCopyRunHost host(recorder, &context);
    onWorker([&] {
        host.setBusyCursor(true);
        host.clearCurrentRow(false);
        host.setCurrentRow(0);
        host.setStatusPanel(1, QStringLiteral("5 Octets"));
        host.setRowStatusText(0, QStringLiteral("Copie..."));
        host.setStatusPanel(2, QStringLiteral("Copie de a"));
        host.setProgress(0);
        host.setRowStatusText(0, QStringLiteral("Copié"));
        host.setCurrentRow(1);
        host.setStatusPanel(1, QStringLiteral("7 Octets"));
        host.setRowStatusText(1, QStringLiteral("Copie..."));
        host.setStatusPanel(2, QStringLiteral("Copie de b"));
        host.setProgress(50);
        host.setRowError(1, QStringLiteral("Erreur : disque plein"), QStringLiteral("ENOSPC"));
        host.clearCurrentRow(true);
        host.setRowClickHandler(true);
        host.setBusyCursor(false);
    });
    host.deliverPending();

    QCOMPARE(recorder.events(),
             (QStringList{QStringLiteral("cursor 1"), QStringLiteral("text 0 Copie..."),
                          QStringLiteral("text 0 Copié"), QStringLiteral("panel 1 7 Octets"),
                          QStringLiteral("text 1 Copie..."), QStringLiteral("panel 2 Copie de b"),
                          QStringLiteral("progress 50"), QStringLiteral("code 1 -1"),
                          QStringLiteral("text 1 Erreur : disque plein"),
                          QStringLiteral("detail 1 ENOSPC"), QStringLiteral("norow 1"),
                          QStringLiteral("click 1"), QStringLiteral("cursor 0")}));
    // Nothing is left to come: what the delivery timer would deliver next is nothing.
    QCoreApplication::sendPostedEvents();
    host.deliverPending();
    QCOMPARE(recorder.events().size(), 13);
}

// The window shows what the run did before it asked, then the box, then what came after.
void QueuedCopyRunHostTest::aBoxComesAfterEverythingBeforeIt()
{
    RecordingHost recorder;
    QObject context;
    QueuedCopyRunHost host(recorder, &context);
    recorder.answer(BoxButton::Abandon);
    QStringList beforeTheBox;
    recorder.onMessage = [&] { beforeTheBox = recorder.events(); };
    BoxButton answer = BoxButton::Ok;
    QThread *worker = QThread::create([&] {
        host.setStatusPanel(2, QStringLiteral("Vérification de a"));
        host.setRowStatusText(0, QStringLiteral("Erreur"));
        answer = host.message(BoxKind::Warning, QStringLiteral("?"),
                              {BoxButton::Ok, BoxButton::Abandon});
        host.setBusyCursor(false);
    });
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 5000);
    worker->wait();
    delete worker;
    host.deliverPending();

    QCOMPARE(answer, BoxButton::Abandon);
    QCOMPARE(beforeTheBox, (QStringList{QStringLiteral("panel 2 Vérification de a"),
                                        QStringLiteral("text 0 Erreur")}));
    QCOMPARE(recorder.events().last(), QStringLiteral("cursor 0"));
}

TANDRIMO_TEST(QueuedCopyRunHostTest)
#include "tst_queuedcopyrunhost.moc"
