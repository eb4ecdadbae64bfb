#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace platform {

// Every piece of work that runs off the thread that asks for it, named once: the name is the
// thread's own (in a debugger, `top -H` and ThreadSanitizer's reports), at most 15 letters.
enum class Job {
    CopyRun,      // the copy run's worker, from Start to the end of its last commit
    CopyCommit,   // a group of finished copies flushed, verified and renamed over targets
    ListingWalk,  // the refresh's walk of the source tree
    ListingTwins, // each listed folder's entries ordered, their destination twins read
    RowSides,     // the source side of the rows read at the end of a run
    OrderCheck,   // the second half of a listing checked for order
    ListSort,     // the first half of the list's rows sorted for a column
    PathProbe,    // a folder field's path looked at, away from a slow mount
};
const char *jobName(Job job);

// A thread that runs one job's function and is joined, never left running: its destructor
// waits for it. The function must not throw; what it would throw is its own to keep.
class JobThread {
public:
    JobThread() = default;
    ~JobThread() { join(); }
    JobThread(JobThread &&) = default;
    JobThread &operator=(JobThread &&other) noexcept
    {
        join();
        m_thread = std::move(other.m_thread);
        return *this;
    }

    // Starts work on a new thread named after job. False, with nothing started, when the
    // system gives no thread (too many, no memory): the caller then does the work its own way.
    bool start(Job job, std::function<void()> work);
    // Starts work on a thread that nobody joins; it must hold what it uses. False as start().
    static bool startDetached(Job job, std::function<void()> work);

    bool running() const { return m_thread.joinable(); }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};

// While one lives, no job thread starts, as when the system has none to give: the tests of
// each caller's own way without a thread.
class NoJobThreads {
public:
    NoJobThreads();
    ~NoJobThreads();
    NoJobThreads(const NoJobThreads &) = delete;
    NoJobThreads &operator=(const NoJobThreads &) = delete;
};

// A result computed by one job: on a thread of its own when one starts, otherwise on the
// calling thread at once, so that the result is there either way. get() waits for it and
// rethrows what the work threw.
template <typename Result> class JobResult {
public:
    template <typename Work> JobResult(Job job, Work work) : m_work(std::move(work))
    {
        // The work stays here, not in the thread's function, so that it is still whole when
        // no thread starts.
        if (!m_thread.start(job, [this] { compute(); }))
            compute();
    }
    JobResult(const JobResult &) = delete;
    JobResult &operator=(const JobResult &) = delete;

    // Whether the work runs elsewhere still (false once get() returned or it ran here).
    bool running() const { return m_thread.running(); }
    Result get()
    {
        m_thread.join();
        if (m_failure)
            std::rethrow_exception(std::exchange(m_failure, nullptr));
        return std::move(*m_value);
    }

private:
    void compute()
    {
        try {
            m_value.emplace(m_work());
        } catch (...) {
            m_failure = std::current_exception();
        }
    }

    std::function<Result()> m_work;
    std::optional<Result> m_value;
    std::exception_ptr m_failure;
    JobThread m_thread; // last: joined before the members it writes are gone
};

template <typename Work> JobResult(Job, Work) -> JobResult<std::invoke_result_t<Work &>>;

} // namespace platform
