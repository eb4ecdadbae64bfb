#pragma once

#include <QString>

class QLocale;

// The text of a date-time cell: empty below 1 (a time not set), else the date in the locale's
// short format and the time in its long format, the time left out at exactly midnight.
QString dateTimeText(double value, const QLocale &locale);
