#pragma once

namespace platform {

// The local zone's standard bias in minutes: UTC minus local standard time (-60 at UTC+1),
// daylight saving never included. Honours TZ as it is at the time of the call; 0 when the
// system knows no zone.
int standardBiasMinutes();

} // namespace platform
