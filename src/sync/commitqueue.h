#pragma once

#include "platform/failsafecopy.h"
#include "platform/jobthread.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

struct CopyRunRow;

// Copies handed over to be committed together, and their rows; a commit stopped by a copy
// found different leaves the rest in copies.
struct CommitGroup {
    std::vector<const CopyRunRow *> rows;
    std::shared_ptr<std::vector<platform::StagedCopy>> copies;
};

// A group committed, and how each copy committed ended, in order.
struct CommittedGroup {
    CommitGroup group;
    std::vector<platform::CopyResult> results;
};

// The finished copies on their way to their targets' places, one group at a time: flushed,
// verified and renamed on a thread of its own while the worker copies the next files, or by the
// worker itself when the run asks so or when no thread can be had. The commit uses the file
// operations of the thread that hands the group over (a test's double).
class CommitQueue {
public:
    CommitQueue(bool flush, bool inBackground) : m_flush(flush), m_inBackground(inBackground) {}
    CommitQueue(const CommitQueue &) = delete;
    CommitQueue &operator=(const CommitQueue &) = delete;

    // Hands group over. Its results at once when it was committed here; nothing when it is on
    // its way, for collect(). The group before must have been collected.
    std::optional<CommittedGroup> hand(CommitGroup group);
    // A group is on its way and was not collected yet.
    bool inFlight() const { return m_inFlight; }
    // The group on its way is committed: collect() would not wait.
    bool done() const { return m_inFlight && m_done.load(); }
    // The rows of the group on its way.
    std::size_t rowsInFlight() const { return m_inFlight ? m_group.rows.size() : 0; }
    // Waits for the group on its way and hands back its results, or rethrows what ended its
    // commit; nothing when none is on its way.
    std::optional<CommittedGroup> collect();
    // Waits for the group on its way, whose results nobody will read.
    void wait() { m_thread.join(); }

private:
    bool m_flush;
    bool m_inBackground;
    bool m_inFlight = false;
    CommitGroup m_group;
    std::vector<platform::CopyResult> m_results; // written by the thread until m_done
    std::exception_ptr m_failure;
    std::atomic<bool> m_done{false};
    platform::JobThread m_thread; // last: joined before the members it writes are gone
};
