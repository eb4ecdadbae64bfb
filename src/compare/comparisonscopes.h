#pragma once

#include "compare/abort.h"
#include "compare/comparison.h"
#include "compare/refreshhost.h"

// Makes the comparison busy for its lifetime, for a reason, unless it already was, and tells the
// window each time.
class Comparison::BusyScope {
public:
    BusyScope(Comparison &comparison, RefreshHost &host, BusyReason reason)
        : m_comparison(comparison), m_host(host), m_owned(!comparison.busy())
    {
        if (m_owned) {
            m_comparison.m_busy = reason;
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
        m_comparison.m_busy = BusyReason::None;
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
