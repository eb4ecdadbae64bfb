#include "platform/appinfo.h"

#include "buildinfo.h"

#include <QCoreApplication>

namespace platform {

QString executableFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString executablePath()
{
    return QCoreApplication::applicationFilePath();
}

QString fileVersion()
{
    return QStringLiteral(TANDRIMO_VERSION_TEXT);
}

QString rightsHolder()
{
    return QString::fromUtf8(TANDRIMO_RIGHTS_HOLDER_TEXT);
}

QString comments()
{
    return QString::fromUtf8(TANDRIMO_COMMENTS_TEXT);
}

} // namespace platform
