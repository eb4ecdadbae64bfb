#pragma once

#include <QtGlobal>

// Date-time values: days since 30 December 1899 00:00, the fraction being the time of day, with
// millisecond resolution. 0 stands for a time that is not set.
inline constexpr double kUnixEpochDays = 25569.0; // 1 January 1970
inline constexpr double kMillisecondsPerDay = 86400000.0;

// From milliseconds since 30 December 1899 00:00.
inline double dateTimeFromMs(qint64 ms)
{
    return double(ms) / kMillisecondsPerDay;
}
