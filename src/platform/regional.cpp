#include "platform/regional.h"

namespace platform {

QLocale regionalLocale(const QLocale &system)
{
    if (system.language() == QLocale::C)
        return QLocale(QLocale::French, QLocale::France);
    return system;
}

} // namespace platform
