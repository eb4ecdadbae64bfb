#include "filelist/datetimetext.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <cmath>

namespace {

// The locale's long time format without its time-zone field: the values carry no zone.
QString longTimeFormat(const QLocale &locale)
{
    static const QRegularExpression zoneField(QStringLiteral("\\s*t+"));
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(zoneField);
    return format.trimmed();
}

} // namespace

QString dateTimeText(double value, const QLocale &locale)
{
    if (!(value >= 1))
        return QString();
    const double days = std::floor(value);
    const qint64 ms = std::llround((value - days) * 86400000.0);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(days) + ms / 86400000);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms % 86400000));
    const QString dateText = locale.toString(date, QLocale::ShortFormat);
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return dateText;
    return dateText + u' ' + locale.toString(time, longTimeFormat(locale));
}
