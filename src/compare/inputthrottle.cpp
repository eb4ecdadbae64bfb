#include "compare/inputthrottle.h"

#include <QElapsedTimer>

#include <memory>

InputThrottle::InputThrottle()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    m_clock = [timer] { return timer->elapsed(); };
}

bool InputThrottle::due()
{
    const qint64 now = m_clock();
    if (m_last && now - *m_last < kIntervalMs)
        return false;
    m_last = now;
    return true;
}
