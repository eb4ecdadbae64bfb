#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QtGlobal>

#include <cmath>

// Date-time values: days since 30 December 1899 00:00, the fraction being the time of day, with
// millisecond resolution. 0 stands for a time that is not set.
inline constexpr double kUnixEpochDays = 25569.0; // 1 January 1970
inline constexpr double kMillisecondsPerDay = 86400000.0;

// From milliseconds since 30 December 1899 00:00.
inline double dateTimeFromMs(qint64 ms)
{
    return double(ms) / kMillisecondsPerDay;
}

// The date and time of day a value stands for, rounded to the millisecond; invalid below 1 (a
// time not set). The value is a reading of a wall clock, not a moment: it is built without a
// time zone (as UTC), so that a reading that the local zone skips (the hour lost in spring)
// still stands. Only its date and time mean anything.
inline QDateTime dateTimeOfValue(double value)
{
    if (!(value >= 1))
        return QDateTime();
    const double days = std::floor(value);
    const qint64 ms = std::llround((value - days) * kMillisecondsPerDay);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(days) + ms / 86400000);
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms % 86400000)), Qt::UTC);
}
