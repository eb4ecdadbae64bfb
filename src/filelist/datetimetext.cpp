#include "filelist/datetimetext.h"

#include "compare/datetime.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

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
    const QDateTime dateTime = dateTimeOfValue(value);
    if (!dateTime.isValid())
        return QString();
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    const QString dateText = locale.toString(date, QLocale::ShortFormat);
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return dateText;
    return dateText + u' ' + locale.toString(time, longTimeFormat(locale));
}
