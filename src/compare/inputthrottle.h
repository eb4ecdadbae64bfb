#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

// Says when a long pass on the window's thread lets pending input through: at most every
// kIntervalMs, often enough for Stop to be seen within a moment, seldom enough that the pass is
// not spent on repaints. The clock is the monotonic one, or a test's.
class InputThrottle {
public:
    using Clock = std::function<qint64()>; // milliseconds, never going back
    static constexpr qint64 kIntervalMs = 30;

    InputThrottle();
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // Whether input goes through now: the first time, then once the interval has passed since
    // the last time it went through.
    bool due();

private:
    Clock m_clock;
    std::optional<qint64> m_last;
};
