#include "compare/filesize.h"

#include "platform/filestat.h"

#include <QLocale>

#include <cmath>

quint64 FileSize64(const QString &path)
{
    const platform::FileStat stat = platform::statPath(path);
    return stat.ok() && stat.regular ? quint64(stat.size) : 0;
}

double FileSizeOf(const QString &path)
{
    const platform::FileStat stat = platform::statPath(path);
    return stat.ok() && stat.regular ? double(stat.size) : -1.0;
}

QString SizeText(double size, bool withFree)
{
    return SizeFormatter().text(size, withFree);
}

SizeFormatter::SizeFormatter() : m_decimalPoint(QLocale().decimalPoint()) {}

QString SizeFormatter::text(double size, bool withFree) const
{
    const QString suffix = withFree ? QStringLiteral("libres") : QString();
    if (!(size >= 0)) // NaN too
        return u"-.-- Octets " + suffix;
    const double whole = std::trunc(size);
    if (whole <= 1024)
        return QString::number(qint64(whole)) + u" Octets " + suffix;

    double value;
    QStringView unit;
    if (whole <= 1048576.0) {
        value = size / 1024;
        unit = u" KO ";
    } else if (whole <= 1073741824.0) {
        value = size / 1024 / 1024;
        unit = u" MO ";
    } else {
        value = size / 1024 / 1024 / 1024;
        unit = u" GO ";
    }
    // Two decimals, halves rounded up.
    const double hundredths = std::floor(value * 100 + 0.5);
    QString number;
    if (hundredths < 9e15) {
        const qint64 h = qint64(hundredths);
        const qint64 cents = h % 100;
        number = QString::number(h / 100) + m_decimalPoint + QChar(u'0' + int(cents / 10)) +
                 QChar(u'0' + int(cents % 10));
    } else {
        number = QString::number(value, 'f', 2).replace(u'.', m_decimalPoint);
    }
    return number + unit + suffix;
}
