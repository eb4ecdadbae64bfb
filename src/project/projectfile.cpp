#include "project/projectfile.h"

#include "platform/iniescape.h"
#include "platform/paths.h"

namespace {

using LoadOutcome = platform::IniFile::LoadOutcome;

const QString kDirectories = QStringLiteral("Directories");
const QString kSrcRelPath = QStringLiteral("SrcRelPath");
const QString kDestRelPath = QStringLiteral("DestRelPath");
const QString kPathRecursive = QStringLiteral("PathRecursive");
const QString kExtensionsToExclude = QStringLiteral("ExtensionsToExclude");
const QString kFilesToExclude = QStringLiteral("FilesToExclude");
const QString kEntryValue = QStringLiteral("#");

// An exclusion entry is a key of its section, escaped where the INI rules would change it.
QStringList readEntries(const platform::IniFile &ini, const QString &section)
{
    QStringList entries = ini.keyNames(section);
    for (QString &entry : entries)
        entry = platform::unescapedIniKey(entry);
    return entries;
}

QStringList keysOfEntries(QStringList entries)
{
    for (QString &entry : entries)
        entry = platform::escapedIniKey(entry);
    return entries;
}

} // namespace

ProjectFileRead readProjectFile(const QString &path, ProjectFileContent &content)
{
    const platform::IniFile ini = platform::IniFile::load(path, kProjectFileLimits);
    ProjectFileRead read;
    read.outcome = ini.loadOutcome();
    read.status = ini.loadStatus();
    // A missing folder stays empty rather than "/": a run from or to the root would list or
    // write everything.
    content.SrcPath = ini.readString(kDirectories, kSrcRelPath, QString());
    content.DestPath = ini.readString(kDirectories, kDestRelPath, QString());
    content.PathRecursive = ini.readInteger(kDirectories, kPathRecursive, 0) != 0;
    content.extensionsToExclude = readEntries(ini, kExtensionsToExclude);
    content.filesToExclude = readEntries(ini, kFilesToExclude);
    if (read.ok()) {
        for (const QString &key : {kSrcRelPath, kDestRelPath, kPathRecursive}) {
            if (!ini.hasKey(kDirectories, key))
                read.missingKeys.append(kDirectories + u'/' + key);
        }
    }
    return read;
}

QString projectReadRefusal(const QString &path, const ProjectFileRead &read)
{
    switch (read.outcome) {
    case LoadOutcome::Read:
        return QString();
    case LoadOutcome::Missing:
    case LoadOutcome::Folder:
        return QStringLiteral("Le fichier \"%1\" ne peut pas être ouvert car il n'existe pas.")
            .arg(platform::fileNamePart(path));
    case LoadOutcome::NotRegularFile:
        return QStringLiteral(
                   "Le fichier \"%1\" ne peut pas être ouvert : ce n'est pas un fichier ordinaire.")
            .arg(path);
    case LoadOutcome::TooLarge:
        return QStringLiteral("Le fichier \"%1\" est trop volumineux pour être un projet Tandrimo "
                              "(plus de 16 Mo).")
            .arg(path);
    case LoadOutcome::LineTooLong:
        return QStringLiteral(
                   "Le fichier \"%1\" contient une ligne de plus de 64 Ko : ce n'est pas "
                   "un projet Tandrimo.")
            .arg(path);
    case LoadOutcome::Unreadable:
        break;
    }
    return QStringLiteral("Le fichier \"%1\" ne peut pas être lu :\n%2")
        .arg(path, read.status.reason());
}

QString projectIncompleteWarning(const QString &path, const ProjectFileRead &read)
{
    if (read.missingKeys.isEmpty())
        return QString();
    QString text = QStringLiteral("Le fichier \"%1\" est incomplet ou endommagé : il y manque %2.")
                       .arg(path, read.missingKeys.join(QStringLiteral(", ")));
    const QString recursive = kDirectories + u'/' + kPathRecursive;
    if (read.missingKeys.size() > 1 || read.missingKeys.first() != recursive)
        text += QStringLiteral(" Les répertoires manquants restent vides.");
    if (read.missingKeys.contains(recursive))
        text += QStringLiteral(" Les sous-répertoires ne sont pas inclus.");
    return text;
}

platform::IoStatus writeProjectFile(const QString &path, const ProjectFileContent &content)
{
    platform::IniFile ini = platform::IniFile::load(path);
    ini.writeString(kDirectories, kSrcRelPath, content.SrcPath);
    ini.writeString(kDirectories, kDestRelPath, content.DestPath);
    ini.writeString(kDirectories, kPathRecursive,
                    content.PathRecursive ? QStringLiteral("1") : QStringLiteral("0"));
    ini.replaceSection(kExtensionsToExclude, keysOfEntries(content.extensionsToExclude),
                       kEntryValue);
    ini.replaceSection(kFilesToExclude, keysOfEntries(content.filesToExclude), kEntryValue);
    return ini.save();
}
