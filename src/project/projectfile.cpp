#include "project/projectfile.h"

#include "platform/inifile.h"
#include "project/project.h"

namespace {

const QString kDirectories = QStringLiteral("Directories");
const QString kSrcRelPath = QStringLiteral("SrcRelPath");
const QString kDestRelPath = QStringLiteral("DestRelPath");
const QString kPathRecursive = QStringLiteral("PathRecursive");
const QString kExtensionsToExclude = QStringLiteral("ExtensionsToExclude");
const QString kFilesToExclude = QStringLiteral("FilesToExclude");
const QString kEntryValue = QStringLiteral("#");

void writeList(platform::IniFile &ini, const QString &section, const QStringList &entries)
{
    ini.eraseSection(section);
    for (const QString &entry : entries)
        ini.writeString(section, entry, kEntryValue);
}

} // namespace

platform::IoStatus readProjectFile(const QString &path, ProjectFileContent &content)
{
    const platform::IniFile ini = platform::IniFile::load(path);
    content.SrcPath = ini.readString(kDirectories, kSrcRelPath, kDefaultProjectFolder);
    content.DestPath = ini.readString(kDirectories, kDestRelPath, kDefaultProjectFolder);
    content.PathRecursive = ini.readInteger(kDirectories, kPathRecursive, 0) != 0;
    content.extensionsToExclude = ini.keyNames(kExtensionsToExclude);
    content.filesToExclude = ini.keyNames(kFilesToExclude);
    return ini.loadStatus();
}

platform::IoStatus writeProjectFile(const QString &path, const ProjectFileContent &content)
{
    platform::IniFile ini = platform::IniFile::load(path);
    ini.writeString(kDirectories, kSrcRelPath, content.SrcPath);
    ini.writeString(kDirectories, kDestRelPath, content.DestPath);
    ini.writeString(kDirectories, kPathRecursive,
                    content.PathRecursive ? QStringLiteral("1") : QStringLiteral("0"));
    writeList(ini, kExtensionsToExclude, content.extensionsToExclude);
    writeList(ini, kFilesToExclude, content.filesToExclude);
    return ini.save();
}
