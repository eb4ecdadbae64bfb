#pragma once

#include "platform/filecalls.h"

#include <unistd.h>
#include <utility>

namespace platform {

// The two ways this program closes a descriptor it owns: through fileCalls(), where the rest of
// its calls go that way too (so that a test's file calls see the close), or by the system's
// close() itself. Neither tries again on EINTR: Linux releases the descriptor whatever close
// returns, and a second close could hit one another thread has just opened.
inline int closeThroughFileCalls(int fd)
{
    return fileCalls().close(fd);
}

// A file descriptor owned: closed once, by Close, when the owner goes or is given another one;
// -1 holds none. Move-only: a descriptor moved away leaves -1 behind.
template <int (*Close)(int)> class BasicUniqueFd {
public:
    BasicUniqueFd() = default;
    explicit BasicUniqueFd(int fd) : m_fd(fd) {}
    BasicUniqueFd(BasicUniqueFd &&other) noexcept : m_fd(other.release()) {}
    BasicUniqueFd &operator=(BasicUniqueFd &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    BasicUniqueFd(const BasicUniqueFd &) = delete;
    BasicUniqueFd &operator=(const BasicUniqueFd &) = delete;
    ~BasicUniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    // Gives the descriptor up without closing it, for the caller to close.
    int release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor held, if any, and holds fd instead.
    void reset(int fd = -1)
    {
        const int old = std::exchange(m_fd, fd);
        if (old >= 0)
            Close(old);
    }

private:
    int m_fd = -1;
};

using UniqueFd = BasicUniqueFd<closeThroughFileCalls>;
using SystemUniqueFd = BasicUniqueFd<::close>;

} // namespace platform
