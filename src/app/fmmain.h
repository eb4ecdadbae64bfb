#pragma once

#include "app/commandshell.h"
#include "compare/command.h"
#include "project/project.h"
#include "project/userprefs.h"

#include <QMainWindow>

#include <memory>

class AppSettings;
enum class CommandPlace;
class CommandRegistry;
class Comparison;
class CopyRunThread;
class DeletionCommands;
class Dialogs;
class FileListView;
class FolderCommands;
class FolderFields;
class ListCommands;
class ProjectCommands;
class QAction;
class QMenu;
class RecentProjects;
class StatusPanels;
class SyncCommands;
class TfmOptions;
class ToolCommands;
class WindowPlacement;

// The main window: builds its widgets, its menus and tool bar from the command table, hands
// each group of commands to a unit of its own, and shows and closes. It owns the open project
// and the preferences; the units own the rest.
class TfmMain : public QMainWindow, public CommandShell {
    Q_OBJECT
public:
    explicit TfmMain(Dialogs &dialogs, QWidget *parent = nullptr);
    ~TfmMain() override;

    // Start-up, once the options dialog exists: the settings file, the preferences, the write
    // test and the first, empty project.
    void initialise(TfmOptions *options);

    TProject &project() { return m_project; }
    UserPrefs &userPrefs() { return m_prefs; }
    QAction *command(Command command) const;
    ProjectCommands &projects() { return *m_projects; }
    ListCommands &lists() { return *m_lists; }
    SyncCommands &sync() { return *m_sync; }
    ToolCommands &tools() { return *m_tools; }
    AppSettings &settings() { return *m_settings; }
    RecentProjects &recentProjects() { return *m_recent; }
    Comparison &comparison();
    CopyRunThread *copyRunThread();
    FileListView *fileListView() const { return rvFiles; }
    QString statusText(int panel) const;

    // Shared by the units.
    QWidget *window() override { return this; }
    void UpdateCommandStates() override;
    void ShowSummary() override;
    void RefreshFileList() override;
    void ClassifyFileList() override;
    void FoldersChanged() override;
    void ShowExtToExclude() override;
    void ShowFilesToExclude() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createWidgets();
    void bindCommands();
    void createMenus();
    void createToolBar();
    // Fills the menu from its place in the command table; the deletion sub-menu it made, if any.
    QMenu *fillMenu(QMenu *menu, CommandPlace place);
    void rvFilesClick();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();

    Dialogs &m_dialogs;
    TfmOptions *m_options = nullptr;
    TProject m_project;
    UserPrefs m_prefs;
    bool m_shown = false;

    StatusPanels *m_panels = nullptr;
    FolderFields *pnlDir = nullptr;
    FileListView *rvFiles = nullptr;
    QMenu *mnuFileDelete = nullptr;
    QMenu *mnu2FileDelete = nullptr;
    QMenu *PopupMenu1 = nullptr;

    // Declared last, the units go first, before the project and the preferences they use.
    std::unique_ptr<CommandRegistry> m_commands;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<SyncCommands> m_sync;
    std::unique_ptr<ProjectCommands> m_projects;
    std::unique_ptr<ListCommands> m_lists;
    std::unique_ptr<DeletionCommands> m_deletions;
    std::unique_ptr<FolderCommands> m_folders;
    std::unique_ptr<ToolCommands> m_tools;
    std::unique_ptr<RecentProjects> m_recent;
    std::unique_ptr<WindowPlacement> m_placement;
};
