#pragma once

#include "compare/comparison.h"
#include "compare/refreshhost.h"
#include "project/project.h"
#include "project/projectfile.h"
#include "project/userprefs.h"
#include "sync/copyrunhost.h"
#include "sync/queuedcopyrunhost.h"

#include <QMainWindow>

#include <functional>
#include <map>

class Dialogs;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QToolBar;
class FileListView;
class CopyRunThread;
class TfmOptions;

// The main window: owns the open project, the preferences and the file list, and runs every
// command of the program.
class TfmMain : public QMainWindow, private RefreshHost, private CopyRunHost {
    Q_OBJECT
public:
    explicit TfmMain(Dialogs &dialogs, QWidget *parent = nullptr);
    ~TfmMain() override;

    // Start-up, once the options dialog exists: the error guard, the settings file, the
    // preferences, the write test and the first, empty project.
    void initialise(TfmOptions *options);

    TProject &project() { return m_project; }
    UserPrefs &userPrefs() { return m_prefs; }
    const QString &AppDir() const { return m_appDir; }
    const QString &AppIniFile() const { return m_appIniFile; }
    QAction *command(const char *name) const;
    Comparison &comparison() { return m_comparison; }
    FileListView *fileListView() const { return rvFiles; }
    QString statusText(int panel) const;

    // The open project and its file.
    void ProjectNew();
    bool ProjectLoad(const QString &path);
    bool ProjectSaveTo(const QString &path);
    void ProjectSetFileName(const QString &path);
    void ProjectShowInFields();
    void ProjectFieldEvents(bool attach);
    void ProjectQuerySave();

    // The exclusion lists.
    void ExtToExcludeAdd(const QString &extension);
    void FileToExcludeAdd(const QString &relativePath);
    void ExtToExcludeDelete(int index, bool classify);
    void FileToExcludeDelete(int index);
    void ShowExtToExclude();
    void ShowFilesToExclude();

    // Preferences and the settings file.
    void LoadUserPrefs(const QString &iniPath);
    void SaveUserPrefs(const QString &iniPath);
    void ApplyUserPrefs();
    bool TestIniWritable();

    // The file list and the state of the commands.
    void RefreshFileList();
    void ClassifyFileList();
    void UpdateCommandStates();
    void ShowSummary();
    void ShowStatusMessage(const QString &text);

    // Commands.
    void ActProjectNewExecute();
    void ActProjectOpenExecute();
    void ActProjectSaveExecute();
    void ActProjectSaveAsExecute();
    void ActAppCloseExecute();
    void ActAppOptionsExecute();
    void ActProjectFileToCopyRefreshExecute();
    void ActAppCopyFilesExecute();
    void JvThread1FinishAll();
    CopyRunThread *copyRunThread() const { return JvThread1; }
    void ActAppStopExecute();
    void ActProjectFilesSelectAllExecute();
    void ActProjectFilesDeselectAllExecute();
    void rvFilesClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createWidgets();
    void createCommands();
    void createMenus();
    void createToolBar();
    std::map<QByteArray, std::function<void()>> commandOperations();
    QMenu *addMenu(QMenu *menu, std::initializer_list<const char *> names);
    QMenu *createDeleteMenu(const char *objectName);
    int rowCount() const;
    int selectedCount() const;
    int filesToCopyCount() const;
    void connectGuarded(QAction *action, std::function<void()> operation);
    static QString volumeCaption(const QString &side, const QString &folder);
    void edDirSrcChange();
    void edDirDestChange();
    void cbPathRecursiveClick();
    void showFolderState(QLineEdit *field);
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void applyOptions();
    void removeSelectedExclusions();
    ProjectFileContent projectContent() const;

    // What the comparison asks of the window.
    void setStatusText(const QString &text) override;
    void processPendingInput() override;
    void showBusyCursor() override;
    void restoreCursor() override;
    BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) override;
    void showSummary() override;
    void updateCommandStates() override;

    // What the copy run asks of the window, carried over to the UI thread in order.
    void setBusyCursor(bool busy) override;
    void setRowClickHandler(bool attached) override;
    void setCurrentRow(int index) override;
    void clearCurrentRow(bool scrollToFirst) override;
    void setRowStatusText(int index, const QString &text) override;
    void setRowError(int index, const QString &text, const QString &detail) override;
    void setStatusPanel(int panel, const QString &text) override;
    void setProgress(int percent) override;

    bool stopBusyWorkBeforeClosing();
    Dialogs &m_dialogs;
    TfmOptions *m_options = nullptr;
    TProject m_project;
    UserPrefs m_prefs;
    QString m_appDir;
    QString m_appIniFile;
    Comparison m_comparison{m_project, m_prefs, *this};
    bool m_shown = false;
    QString m_statusText;
    bool m_rowClickAttached = true;
    bool m_closeWhenIdle = false;
    CopyRunThread *JvThread1 = nullptr;
    QueuedCopyRunHost m_copyRunHost{*this, this};
    bool m_statusTextQueued = false;
    QList<QMetaObject::Connection> m_fieldConnections;

    QLineEdit *edDirSrc = nullptr;
    QLineEdit *edDirDest = nullptr;
    QLabel *edDirSrcLabel1 = nullptr;
    QLabel *edDirDestLabel1 = nullptr;
    QCheckBox *cbPathRecursive = nullptr;
    QLabel *urlExtToExclude = nullptr;
    QLabel *urlFilesToExclude = nullptr;
    QProgressBar *AdvProgress1 = nullptr;
    QLabel *statusPanel1 = nullptr;
    QLabel *statusPanel2 = nullptr;
    QMenu *mnuFile = nullptr;
    QMenu *mnuFileDelete = nullptr;
    QMenu *mnu2FileDelete = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    FileListView *rvFiles = nullptr;
};
