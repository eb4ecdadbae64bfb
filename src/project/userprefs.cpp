#include "project/userprefs.h"

#include "platform/inifile.h"

#include <array>

namespace {

struct StoredFlag {
    const char16_t *section;
    const char16_t *key;
    bool UserPrefs::*flag;
};

// In the order in which they are read and written.
constexpr std::array<StoredFlag, 7> kStoredFlags{{
    {u"Files", u"FileDeleteSrc", &UserPrefs::FileDeleteSrc},
    {u"Files", u"FileDeleteDest", &UserPrefs::FileDeleteDest},
    {u"Files", u"FileDeleteSendToTrash", &UserPrefs::FileDeleteSendToTrash},
    {u"Files", u"FileSyncReadOnly", &UserPrefs::FileSyncReadOnly},
    {u"Files", u"FileCompareCopy", &UserPrefs::FileCompareCopy},
    {u"Files", u"FileSpy", &UserPrefs::FileSpy},
    {u"Misc", u"AppShowOpenProjectAtStartup", &UserPrefs::AppShowOpenProjectAtStartup},
}};

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

QString unreadableReason(const platform::IniFile &ini)
{
    using LoadOutcome = platform::IniFile::LoadOutcome;
    switch (ini.loadOutcome()) {
    case LoadOutcome::Read:
    case LoadOutcome::Missing:
        return QString();
    case LoadOutcome::Folder:
        return QStringLiteral("c'est un dossier");
    case LoadOutcome::NotRegularFile:
        return QStringLiteral("ce n'est pas un fichier ordinaire");
    case LoadOutcome::TooLarge:
    case LoadOutcome::LineTooLong:
        return QStringLiteral("fichier trop volumineux");
    case LoadOutcome::Unreadable:
        break;
    }
    return ini.loadStatus().explanation();
}

} // namespace

QString readUserPrefs(const QString &iniPath, UserPrefs &prefs)
{
    const platform::IniFile ini = platform::IniFile::load(iniPath);
    for (const StoredFlag &stored : kStoredFlags) {
        bool &flag = prefs.*stored.flag;
        flag = ini.readInteger(text(stored.section), text(stored.key), flag ? 1 : 0) != 0;
    }
    return unreadableReason(ini);
}

platform::IoStatus writeUserPrefs(const QString &iniPath, const UserPrefs &prefs)
{
    platform::IniFile ini = platform::IniFile::load(iniPath);
    for (const StoredFlag &stored : kStoredFlags) {
        ini.writeString(text(stored.section), text(stored.key),
                        prefs.*stored.flag ? QStringLiteral("1") : QStringLiteral("0"));
    }
    return ini.save();
}
