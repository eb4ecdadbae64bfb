#pragma once

#include <QString>

#include <functional>

class CommandShell;
class Dialogs;
class RecentProjects;
class TfmOptions;
class WindowPlacement;
struct UserPrefs;

// The program's settings file and the preferences it holds: read at start-up, shown in the
// options dialog, applied from it, written at the end.
class AppSettings {
public:
    AppSettings(CommandShell &shell, Dialogs &dialogs, UserPrefs &prefs);
    AppSettings(const AppSettings &) = delete;
    AppSettings &operator=(const AppSettings &) = delete;

    // Start-up, once the options dialog exists: reads the preferences and tests that the
    // settings file can be written.
    void initialise(TfmOptions *options);

    const QString &AppDir() const { return m_appDir; }
    const QString &AppIniFile() const { return m_appIniFile; }

    void LoadUserPrefs(const QString &iniPath);
    void SaveUserPrefs(const QString &iniPath);
    void ApplyUserPrefs();
    // What ApplyUserPrefs runs to point the source-folder monitor.
    void setSourceMonitor(std::function<void()> configure)
    {
        m_configureSourceMonitor = std::move(configure);
    }
    bool TestIniWritable();
    void ActAppOptionsExecute();
    // "Appliquer" or "OK" in the options dialog.
    void applyOptions();

    // The recent projects' own copy, read while the main window is built.
    void readRecentList(RecentProjects &recent);
    // When the window is first shown and the file is writable: the placement, then the window
    // state's copy of the recent projects.
    void restoreWindowState(WindowPlacement &placement, RecentProjects &recent);
    // At close, when the state was restored: both, written silently.
    void saveWindowState(const WindowPlacement &placement, const RecentProjects &recent);
    // At close, after the preferences, when the file is writable; silently too.
    void saveRecentList(const RecentProjects &recent);

private:
    CommandShell &m_shell;
    Dialogs &m_dialogs;
    UserPrefs &m_prefs;
    TfmOptions *m_options = nullptr;
    QString m_appDir;
    QString m_appIniFile;
    bool m_stateRestored = false;
    std::function<void()> m_configureSourceMonitor;
};
