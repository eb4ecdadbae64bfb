#pragma once

#include "platform/jobthread.h"
#include "sync/copyrun.h"

#include <QObject>

#include <atomic>
#include <memory>

class FileList;

// The worker component of the copy run (JvThread1): one worker at a time, on its own thread,
// and a finish notification on the owner's thread once the worker has ended, after every
// effect the worker made (the host delivers what it held back first). When no thread can be
// had, the run ends all the same, as an error that says so. Its owner keeps it no
// longer than the stop flag and the host it was started with.
class CopyRunThread : public QObject {
    Q_OBJECT
public:
    explicit CopyRunThread(QObject *parent = nullptr);
    // A running worker is stopped: its questions are answered at once, as if closed without a
    // choice, and it is waited for. No finish notification follows.
    ~CopyRunThread() override;

    // The Start command, on the UI thread. Nothing at all happens when FilesToCopyCount is 0
    // or a worker still runs: false. Otherwise the rows are copied for the worker; when the
    // list has rows, StopRequested is cleared; and the worker starts on the host (the
    // window's, wrapped in QueuedCopyRunHost). The caller then marks the list busy, updates
    // its command states and summary, and performs the end of the run on finishAll().
    bool start(const FileList &list, const CopyRunSettings &settings,
               std::atomic<bool> &StopRequested, CopyRunHost &host,
               CopyRun::FreeSpace freeSpace = {});

    bool isRunning() const { return m_running; }
    // The last run, once finishAll() was emitted: how it ended, and an error to show.
    const CopyRun *lastRun() const { return m_run.get(); }

Q_SIGNALS:
    // JvThread1FinishAll: the worker has ended, whatever the reason.
    void finishAll();

private:
    void workerEnded();

    std::unique_ptr<CopyRun> m_run;
    std::atomic<bool> *m_stop = nullptr;
    CopyRunHost *m_host = nullptr;
    bool m_running = false;       // from start() until the finish notification
    platform::JobThread m_thread; // last: joined before the run it works on goes
};
