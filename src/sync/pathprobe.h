#pragma once

#include "platform/jobthread.h"
#include "sync/volume.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

// What a folder field shows of its folder.
struct FolderFacts {
    bool exists = false;
    VolumeInfo volume;
};

// Whether folder is an existing folder, and its volume.
FolderFacts folderFactsOf(const QString &folder);

// Asks a question about a path on a thread of its own, so that a file system that does not
// answer (a dead network mount) never holds the caller longer than the wait it grants.
// At most one question is in flight: a path asked meanwhile waits for nothing and replaces any
// other waiting path; it is asked, on the same thread, once the question in flight comes back.
// An answer that comes after its wait goes to `late`, on the thread of the context object,
// which outlives the probe. The thread is never joined: a question stuck for ever keeps its
// thread, and the probe may go at any time.
template <typename Answer> class PathProbe {
public:
    using Question = std::function<Answer(const QString &path)>;
    using Late = std::function<void(const QString &path, const Answer &answer)>;

    PathProbe(QObject *context, Question question, Late late) : m_shared(std::make_shared<Shared>())
    {
        m_shared->context = context;
        m_shared->question = std::move(question);
        m_shared->late = std::move(late);
    }
    ~PathProbe()
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->context = nullptr;
    }
    PathProbe(const PathProbe &) = delete;
    PathProbe &operator=(const PathProbe &) = delete;

    // Takes effect from the next question.
    void setQuestion(Question question)
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->question = std::move(question);
    }

    // The answer when it comes within wait; otherwise nothing, and `late` gets it later.
    std::optional<Answer> ask(const QString &path, std::chrono::milliseconds wait)
    {
        Shared &shared = *m_shared;
        std::unique_lock lock(shared.mutex);
        if (shared.inFlight) {
            shared.next = path;
            return std::nullopt;
        }
        const quint64 serial = ++shared.serial;
        const bool started = platform::JobThread::startDetached(
            platform::Job::PathProbe,
            [shared = m_shared, path, serial] { PathProbe::work(shared, path, serial); });
        if (!started)
            return std::nullopt; // no thread to spare: the folder stays unknown
        shared.inFlight = true;
        shared.waitingFor = serial;
        const bool answered = shared.answered.wait_for(
            lock, wait, [&shared, serial] { return shared.lastSerial == serial; });
        shared.waitingFor = 0;
        if (!answered)
            return std::nullopt;
        return shared.lastAnswer;
    }

    // The last answer that came, when it was about path.
    std::optional<Answer> lastAnswerFor(const QString &path) const
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->lastSerial == 0 || m_shared->lastPath != path)
            return std::nullopt;
        return m_shared->lastAnswer;
    }

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable answered;
        QObject *context = nullptr; // null once the probe is gone
        Question question;
        Late late;
        bool inFlight = false;
        std::optional<QString> next;
        quint64 serial = 0;
        quint64 waitingFor = 0;
        quint64 lastSerial = 0;
        QString lastPath;
        Answer lastAnswer{};
    };

    static void work(std::shared_ptr<Shared> shared, QString path, quint64 serial)
    {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            const Question question = shared->question;
            lock.unlock();
            const Answer answer = question(path);
            lock.lock();
            shared->lastSerial = serial;
            shared->lastPath = path;
            shared->lastAnswer = answer;
            if (shared->waitingFor == serial)
                shared->answered.notify_all();
            else if (shared->context != nullptr)
                deliverLate(shared, path, answer);
            if (!shared->next) {
                shared->inFlight = false;
                return;
            }
            path = *std::exchange(shared->next, std::nullopt);
            serial = ++shared->serial;
        }
    }

    // Called with the mutex held, while the context object is known to exist; the call runs
    // on its thread only if both it and the probe still exist then.
    static void deliverLate(const std::shared_ptr<Shared> &shared, const QString &path,
                            const Answer &answer)
    {
        QMetaObject::invokeMethod(
            shared->context,
            [shared, path, answer] {
                Late late;
                {
                    const std::lock_guard lock(shared->mutex);
                    if (shared->context == nullptr)
                        return;
                    late = shared->late;
                }
                late(path, answer);
            },
            Qt::QueuedConnection);
    }

    std::shared_ptr<Shared> m_shared;
};
