#include "sync/copyrunthread.h"

#include "compare/filelist.h"

#include <QThread>

CopyRunThread::CopyRunThread(QObject *parent) : QObject(parent) {}

CopyRunThread::~CopyRunThread()
{
    if (m_thread == nullptr)
        return;
    // The worker never waits for this thread again, so the wait below ends.
    m_host->abandonQuestions();
    m_stop->store(true);
    m_thread->wait();
    delete m_thread;
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
    m_thread = QThread::create([run = m_run.get()] { run->JvThread1Execute(); });
    // Emitted on the worker's thread as it ends; queued here behind every effect it posted.
    connect(m_thread, &QThread::finished, this, &CopyRunThread::workerEnded, Qt::QueuedConnection);
    m_thread->start();
    return true;
}

void CopyRunThread::workerEnded()
{
    if (m_thread == nullptr)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_host->deliverPending();
    Q_EMIT finishAll();
}
