#include "platform/zonebias.h"

#include <ctime>

namespace platform {

int standardBiasMinutes()
{
    ::tzset();
    // timezone: seconds west of UTC of the zone's standard time.
    return int(::timezone / 60);
}

} // namespace platform
