#include "platform/jobthread.h"

#include <pthread.h>

#include <atomic>
#include <system_error>

namespace platform {

const char *jobName(Job job)
{
    switch (job) {
    case Job::CopyRun:
        return "tdm-copyrun";
    case Job::CopyCommit:
        return "tdm-commit";
    case Job::ListingWalk:
        return "tdm-walk";
    case Job::ListingTwins:
        return "tdm-twins";
    case Job::RowSides:
        return "tdm-rowsides";
    case Job::OrderCheck:
        return "tdm-ordercheck";
    case Job::ListSort:
        return "tdm-listsort";
    case Job::PathProbe:
        return "tdm-pathprobe";
    }
    return "tdm-job";
}

namespace {

std::atomic<int> noThreads{0};

std::thread startThread(Job job, std::function<void()> work)
{
    if (noThreads.load() > 0)
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread([job, work = std::move(work)] {
        pthread_setname_np(pthread_self(), jobName(job));
        work();
    });
}

} // namespace

NoJobThreads::NoJobThreads()
{
    ++noThreads;
}

NoJobThreads::~NoJobThreads()
{
    --noThreads;
}

bool JobThread::start(Job job, std::function<void()> work)
{
    join();
    try {
        m_thread = startThread(job, std::move(work));
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

bool JobThread::startDetached(Job job, std::function<void()> work)
{
    try {
        startThread(job, std::move(work)).detach();
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

} // namespace platform
