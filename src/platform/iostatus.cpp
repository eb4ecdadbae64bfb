#include "platform/iostatus.h"

#include <cstring>

namespace platform {

QString IoStatus::reason() const
{
    if (ok())
        return QString();
    return QString::fromLocal8Bit(std::strerror(m_error));
}

} // namespace platform
