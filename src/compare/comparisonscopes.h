#pragma once

#include "compare/abort.h"
#include "compare/comparison.h"
#include "compare/refreshhost.h"

// Sets Busy for its lifetime, unless it was already set, and tells the window each time.
class Comparison::BusyScope {
public:
    BusyScope(Comparison &comparison, RefreshHost &host)
        : m_comparison(comparison), m_host(host), m_owned(!comparison.Busy)
    {
        if (m_owned) {
            m_comparison.Busy = true;
            m_host.updateCommandStates();
        }
    }
    ~BusyScope()
    {
        try {
            end();
        } catch (...) {
        }
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;
    void end()
    {
        if (!m_owned)
            return;
        m_owned = false;
        m_comparison.Busy = false;
        m_host.updateCommandStates();
    }

private:
    Comparison &m_comparison;
    RefreshHost &m_host;
    bool m_owned;
};

// Marks the rows as walked by a listing or a pass; a second walk started meanwhile (from
// pending input) would change rows under the first, so it is refused with Abort.
class Comparison::WalkScope {
public:
    explicit WalkScope(bool &walking) : m_walking(walking)
    {
        if (walking)
            throw Abort();
        walking = true;
    }
    ~WalkScope() { m_walking = false; }
    WalkScope(const WalkScope &) = delete;
    WalkScope &operator=(const WalkScope &) = delete;

private:
    bool &m_walking;
};
