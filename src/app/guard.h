#pragma once

#include <utility>

// Runs the body of a command or event handler. A refusal (Abort) or any other error ends it
// without a word: no exception ever crosses the event loop.
template <typename Body> void guarded(Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

// Shows the busy cursor for its lifetime, so that every exit path restores the cursor.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};
