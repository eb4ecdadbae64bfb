#include "app/appsettings.h"

#include "app/commandshell.h"
#include "app/dialogs.h"
#include "app/fmoptions.h"
#include "app/recentprojects.h"
#include "app/windowplacement.h"
#include "platform/appinfo.h"
#include "platform/inifile.h"
#include "project/userprefs.h"

AppSettings::AppSettings(CommandShell &shell, Dialogs &dialogs, UserPrefs &prefs)
    : m_shell(shell), m_dialogs(dialogs), m_prefs(prefs), m_appDir(platform::executableFolder()),
      m_appIniFile(platform::settingsFilePath())
{}

void AppSettings::initialise(TfmOptions *options)
{
    m_options = options;
    LoadUserPrefs(m_appIniFile);
    m_prefs.IniWritable = TestIniWritable();
}

void AppSettings::LoadUserPrefs(const QString &iniPath)
{
    const QString unreadable = readUserPrefs(iniPath, m_prefs);
    if (!unreadable.isEmpty()) {
        m_dialogs.message(m_shell.window(), BoxKind::Warning,
                          QStringLiteral("Le fichier de paramètres \"%1\" ne peut pas être lu "
                                         "(%2) : les préférences par défaut sont utilisées.")
                              .arg(iniPath, unreadable),
                          {BoxButton::Ok});
    }
    ApplyUserPrefs();
}

void AppSettings::SaveUserPrefs(const QString &iniPath)
{
    if (!m_prefs.IniWritable)
        return;
    const platform::IoStatus status = writeUserPrefs(iniPath, m_prefs);
    if (!status.ok()) {
        m_dialogs.message(m_shell.window(), BoxKind::Warning,
                          QStringLiteral("Les préférences n'ont pas pu être enregistrées dans le "
                                         "fichier \"%1\" :\n%2")
                              .arg(iniPath, status.reason()),
                          {BoxButton::Ok});
    }
}

void AppSettings::ApplyUserPrefs()
{
    m_options->showPrefs(m_prefs);
    if (m_configureSourceMonitor)
        m_configureSourceMonitor();
}

bool AppSettings::TestIniWritable()
{
    platform::prepareSettingsFolder(m_appIniFile);
    const bool writable =
        platform::writeProfileString(m_appIniFile, QStringLiteral("Test"),
                                     QStringLiteral("WriteToIniTest"), QStringLiteral("1"))
            .ok();
    // The main window switches its recent-projects entries and its placement by the result.
    return writable;
}

void AppSettings::ActAppOptionsExecute()
{
    m_options->showLastPage();
}

void AppSettings::applyOptions()
{
    m_options->readPrefs(m_prefs);
    ApplyUserPrefs();
    m_shell.UpdateCommandStates();
}

void AppSettings::readRecentList(RecentProjects &recent)
{
    recent.loadKept(platform::IniFile::load(m_appIniFile));
}

void AppSettings::restoreWindowState(WindowPlacement &placement, RecentProjects &recent)
{
    if (!m_prefs.IniWritable)
        return;
    const platform::IniFile ini = platform::IniFile::load(m_appIniFile);
    placement.restore(ini);
    recent.restoreShown(ini);
    m_stateRestored = true;
}

void AppSettings::saveWindowState(const WindowPlacement &placement, const RecentProjects &recent)
{
    if (!m_prefs.IniWritable || !m_stateRestored)
        return;
    platform::IniFile ini = platform::IniFile::load(m_appIniFile);
    placement.save(ini);
    recent.saveShown(ini);
    // A failure goes unsaid: the preferences, written next, warn of it.
    (void)ini.save();
}

void AppSettings::saveRecentList(const RecentProjects &recent)
{
    if (!m_prefs.IniWritable)
        return;
    platform::IniFile ini = platform::IniFile::load(m_appIniFile);
    recent.saveKept(ini);
    (void)ini.save();
}
