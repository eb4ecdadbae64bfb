#pragma once

#include <QObject>
#include <QString>

class CommandShell;
class Dialogs;
class FolderFields;
class ProjectCommands;
class QFileSystemWatcher;
class QLineEdit;
struct TProject;
struct UserPrefs;

// What the folder fields do beyond their change handling: the keys and the double click in a
// field, the browse buttons with their shared folder browser, the swap of the two folders, and
// the source-folder monitor.
class FolderCommands : public QObject {
    Q_OBJECT
public:
    FolderCommands(CommandShell &shell, Dialogs &dialogs, TProject &project, const UserPrefs &prefs,
                   FolderFields &fields, ProjectCommands &projects);

    // Key handling of either field, before the field gets the key; sender is null when no
    // field received it. Enter refreshes the list; every key runs the field's change handling.
    // The event filter hands it Enter and the keys typed into a field, not a modifier pressed
    // alone nor a key held with Ctrl, Alt or Meta that the field does not take as editing.
    void edDirSrcKeyDown(QLineEdit *sender, int key);
    void edDirSrcButtonClick();
    void edDirDestButtonClick();
    void ActProjectDirInvertSrcAndDestExecute();
    // Watches the source folder while FileSpy is set; a folder that cannot be watched is not.
    void ConfigureSourceMonitor();
    void JvFolderMonitorSrcNotifications0Change() {}

protected:
    // Keys and double clicks in the two fields.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void browse(QLineEdit *field, QLineEdit *other, const QString &title);
    void fieldChange(QLineEdit *field);

    CommandShell &m_shell;
    Dialogs &m_dialogs;
    TProject &m_project;
    const UserPrefs &m_prefs;
    FolderFields &m_fields;
    ProjectCommands &m_projects;
    // Where the browser opens when the field names no folder: where its last use left it.
    QString m_browserFolder;
    QFileSystemWatcher *JvFolderMonitorSrc = nullptr;
};
