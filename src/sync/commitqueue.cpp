#include "sync/commitqueue.h"

#include "platform/filecalls.h"

#include <utility>

std::optional<CommittedGroup> CommitQueue::hand(CommitGroup group)
{
    if (m_inBackground) {
        m_done = false;
        platform::FileCalls *calls = &platform::fileCalls();
        const bool started = m_thread.start(
            platform::Job::CopyCommit, [this, copies = group.copies, flush = m_flush, calls] {
                platform::ScopedFileCalls scoped(*calls);
                try {
                    m_results = platform::commitCopies(*copies, flush);
                } catch (...) {
                    m_failure = std::current_exception();
                }
                m_done = true;
            });
        if (started) {
            m_group = std::move(group);
            m_inFlight = true;
            return std::nullopt;
        }
    }
    std::vector<platform::CopyResult> results = platform::commitCopies(*group.copies, m_flush);
    return CommittedGroup{std::move(group), std::move(results)};
}

std::optional<CommittedGroup> CommitQueue::collect()
{
    if (!m_inFlight)
        return std::nullopt;
    m_thread.join();
    m_inFlight = false;
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
    return CommittedGroup{std::exchange(m_group, {}), std::exchange(m_results, {})};
}
