#include "filelist/statusstyle.h"

#include "compare/filedates.h"
#include "compare/statuscode.h"

QColor statusTextColour(std::int32_t code)
{
    switch (StatusCode(code)) {
    case StatusToCopy:
    case StatusToCopyBack:
        return QColor(0, 128, 0);
    case StatusInconsistent:
    case StatusError:
        return QColor(255, 0, 0);
    case StatusExcludedByUser:
    case StatusExcludedByExtension:
    case StatusExcludedByFile:
        return QColor(128, 128, 128);
    case StatusUpToDateWithin2s:
    case StatusUpToDate:
        break;
    }
    return QColor(0, 0, 0);
}

QString directionIconPath(std::int32_t code)
{
    switch (StatusCode(code)) {
    case StatusToCopy:
        return QStringLiteral(":/icons/arrow-right-green.svg");
    case StatusToCopyBack:
        return QStringLiteral(":/icons/arrow-left-green.svg");
    case StatusInconsistent:
        return QStringLiteral(":/icons/arrow-left-red.svg");
    case StatusError:
    case StatusUpToDateWithin2s:
    case StatusUpToDate:
    case StatusExcludedByUser:
    case StatusExcludedByExtension:
    case StatusExcludedByFile:
        break;
    }
    return QString();
}

QColor dateRowColour(int state)
{
    switch (state) {
    case DateRowDone:
        return QColor(0, 128, 0);
    case DateRowFailed:
        return QColor(255, 0, 0);
    default:
        return QColor(0, 0, 0);
    }
}
