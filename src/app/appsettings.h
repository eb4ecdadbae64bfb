#pragma once

#include <QString>

#include <functional>

class CommandShell;
class Dialogs;
class TfmOptions;
struct UserPrefs;

// The program's settings file and the preferences it holds: read at start-up, shown in the
// options dialog, applied from it, written at the end.
class AppSettings {
public:
    AppSettings(CommandShell &shell, Dialogs &dialogs, UserPrefs &prefs);
    AppSettings(const AppSettings &) = delete;
    AppSettings &operator=(const AppSettings &) = delete;

    // Start-up, once the options dialog exists: finds the folder of the program and the
    // settings file, reads the preferences and tests that the file can be written.
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

private:
    CommandShell &m_shell;
    Dialogs &m_dialogs;
    UserPrefs &m_prefs;
    TfmOptions *m_options = nullptr;
    QString m_appDir;
    QString m_appIniFile;
    std::function<void()> m_configureSourceMonitor;
};
