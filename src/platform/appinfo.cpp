#include "platform/appinfo.h"

#include "buildinfo.h"
#include "platform/forcefolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

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

bool folderWritable(const QString &folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

namespace {

QString configSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/tandrimo/tandrimo.ini";
}

} // namespace

QString settingsFilePath(const QString &programFolder)
{
    const QString chosen = qEnvironmentVariable("TANDRIMO_INI");
    if (!chosen.isEmpty())
        return chosen;
    if (folderWritable(programFolder)) {
        QString beside = programFolder;
        if (!beside.endsWith(u'/'))
            beside += u'/';
        return beside + u"tandrimo.ini";
    }
    return configSettingsPath();
}

void prepareSettingsFolder(const QString &settingsFile)
{
    if (settingsFile != configSettingsPath())
        return;
    // A failure shows in the write that follows.
    (void)ForceFolder(QFile::encodeName(settingsFile.left(settingsFile.lastIndexOf(u'/'))));
}

QString userFilesFolder(const QString &programFolder)
{
    if (folderWritable(programFolder))
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
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
