#include "sync/copyrunthread.h"

#include "compare/filelist.h"

#include <QMetaObject>

CopyRunThread::CopyRunThread(QObject *parent) : QObject(parent) {}

CopyRunThread::~CopyRunThread()
{
    if (!m_running)
        return;
    // The worker never waits for this thread again, so the join below ends.
    m_host->abandonQuestions();
    m_stop->store(true);
    m_thread.join();
}

bool CopyRunThread::start(const FileList &list, const CopyRunSettings &settings,
                          std::atomic<bool> &StopRequested, CopyRunHost &host,
                          CopyRun::FreeSpace freeSpace)
{
    if (settings.FilesToCopyCount == 0 || isRunning())
        return false;
    CopyRunSnapshot snapshot = CopyRunSnapshot::take(list, settings.readSidesAtEnd);
    if (snapshot.rowCount > 0)
        StopRequested.store(false);
    m_stop = &StopRequested;
    m_host = &host;
    m_run = std::make_unique<CopyRun>(std::move(snapshot), settings, StopRequested, host,
                                      std::move(freeSpace));
    m_running = true;
    const bool started = m_thread.start(platform::Job::CopyRun, [this, run = m_run.get()] {
        run->JvThread1Execute();
        // Posted by the worker as it ends: queued here behind every effect it posted.
        QMetaObject::invokeMethod(this, &CopyRunThread::workerEnded, Qt::QueuedConnection);
    });
    if (!started) {
        // The run ends as any run does, on the owner's thread, with the reason told.
        m_run->endWithoutRunning(QStringLiteral("La copie n'a pas pu démarrer : le système ne "
                                                "donne plus de fil d'exécution."));
        QMetaObject::invokeMethod(this, &CopyRunThread::workerEnded, Qt::QueuedConnection);
    }
    return true;
}

void CopyRunThread::workerEnded()
{
    if (!m_running)
        return;
    m_thread.join();
    m_running = false;
    m_host->deliverPending();
    Q_EMIT finishAll();
}
