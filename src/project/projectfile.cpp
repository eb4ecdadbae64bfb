#include "project/projectfile.h"

#include "platform/losslessname.h"
#include "platform/paths.h"

#include <algorithm>

namespace {

using LoadOutcome = platform::IniFile::LoadOutcome;

const QString kDirectories = QStringLiteral("Directories");
const QString kSrcRelPath = QStringLiteral("SrcRelPath");
const QString kDestRelPath = QStringLiteral("DestRelPath");
const QString kPathRecursive = QStringLiteral("PathRecursive");
const QString kExtensionsToExclude = QStringLiteral("ExtensionsToExclude");
const QString kFilesToExclude = QStringLiteral("FilesToExclude");
const QString kEntryValue = QStringLiteral("#");
constexpr QChar kEscape = u'%';

// Whether the INI rules would change the entry as a key: an '=' or a line break ends it, spaces
// at either end are trimmed, a leading '[' or ';' makes a section or a comment; no other control
// character goes into the file either. One that starts with the escape needs it to read back,
// and so does one that keeps bytes of a name that are not valid UTF-8 (lone surrogates), which
// a UTF-8 file cannot hold as text.
bool needsEscape(const QString &entry)
{
    if (entry.isEmpty())
        return false;
    const QChar first = entry.front();
    if (first == kEscape || first == u'[' || first == u';' || first.isSpace() ||
        entry.back().isSpace())
        return true;
    return std::any_of(entry.cbegin(), entry.cend(),
                       [](QChar c) { return c == u'=' || c.unicode() < 0x20; }) ||
           platform::holdsLoneSurrogate(entry);
}

// The entry itself, or when it needs it the escape and its bytes percent-encoded (its UTF-8, a
// kept byte of a name as that byte): only letters, digits and "-._~" remain, which no INI rule
// touches.
QString keyOfEntry(const QString &entry)
{
    if (!needsEscape(entry))
        return entry;
    return kEscape + QString::fromLatin1(platform::losslessBytes(entry).toPercentEncoding());
}

// Only a key exactly as keyOfEntry() writes it is decoded: any other, such as a hand-written
// "%20.txt" or "%zz", is the entry itself, as it was before keys were escaped.
QString entryOfKey(const QString &key)
{
    if (!key.startsWith(kEscape))
        return key;
    const QString entry =
        platform::losslessText(QByteArray::fromPercentEncoding(key.sliced(1).toUtf8()));
    return keyOfEntry(entry) == key ? entry : key;
}

QStringList readEntries(const platform::IniFile &ini, const QString &section)
{
    QStringList entries = ini.keyNames(section);
    for (QString &entry : entries)
        entry = entryOfKey(entry);
    return entries;
}

QStringList keysOfEntries(QStringList entries)
{
    for (QString &entry : entries)
        entry = keyOfEntry(entry);
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
