#pragma once

#include <QList>
#include <QMetaObject>
#include <QString>

class CommandShell;
class Dialogs;
class FileList;
class FolderFields;
class RecentProjects;
struct TProject;

// The project commands (New, Open, Save, Save as) and the open project's life in the window:
// its file, its caption, its folder fields and the Modified state they set.
class ProjectCommands {
public:
    ProjectCommands(CommandShell &shell, Dialogs &dialogs, TProject &project, FileList &rows,
                    FolderFields &fields, const QString &appDir);
    ProjectCommands(const ProjectCommands &) = delete;
    ProjectCommands &operator=(const ProjectCommands &) = delete;

    // Every project opened or saved goes to the front of this list.
    void setRecentProjects(RecentProjects *recent) { m_recent = recent; }

    void ActProjectNewExecute();
    void ActProjectOpenExecute();
    void ActProjectSaveExecute();
    void ActProjectSaveAsExecute();

    void ProjectNew();
    // False, with a box that says why, when the file could not be opened.
    bool ProjectLoad(const QString &path);
    // Throws Abort, after a box, when the file could not be written.
    bool ProjectSaveTo(const QString &path);
    void ProjectSetFileName(const QString &path);
    // Writes the project into the fields with their change handling detached, so that nothing
    // is marked modified; the fields then show the state of the new folders all the same.
    void ProjectShowInFields();
    void ProjectFieldEvents(bool attach);
    // Returns when the caller may go on; throws Abort on "Annuler".
    void ProjectQuerySave();

    // The folder fields' handlers, while attached.
    void edDirSrcChange();
    void edDirDestChange();
    void cbPathRecursiveClick();

private:
    // The colours and volume labels of the folders the fields now hold.
    void showFolderStates();

    CommandShell &m_shell;
    Dialogs &m_dialogs;
    TProject &m_project;
    FileList &m_rows;
    FolderFields &m_fields;
    // The program's folder, set at start-up; the dialogs open there when it is writable.
    const QString &m_appDir;
    QList<QMetaObject::Connection> m_fieldConnections;
    RecentProjects *m_recent = nullptr;
};
