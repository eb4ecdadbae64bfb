#include "app/fmmain.h"

#include "app/appsettings.h"
#include "app/commandregistry.h"
#include "app/commandtable.h"
#include "app/deletioncommands.h"
#include "app/dialogs.h"
#include "app/fmoptions.h"
#include "app/foldercommands.h"
#include "app/folderfields.h"
#include "app/guard.h"
#include "app/listcommands.h"
#include "app/projectcommands.h"
#include "app/recentprojects.h"
#include "app/statuspanels.h"
#include "app/synccommands.h"
#include "app/toolcommands.h"
#include "app/windowplacement.h"
#include "compare/commandstates.h"
#include "filelist/filelistview.h"
#include "filelist/resources.h"
#include "project/projectfolder.h"

#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

TfmMain::TfmMain(Dialogs &dialogs, QWidget *parent) : QMainWindow(parent), m_dialogs(dialogs)
{
    ensureResources();
    setObjectName(QStringLiteral("fmMain"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tandrimo.svg")));
    m_commands = std::make_unique<CommandRegistry>(this);
    // An error that ends a command is told in a box; the window stays usable.
    setFaultReporter([this](const QString &what, const QString &why) {
        const QString text =
            what.isEmpty()
                ? QStringLiteral("Une opération a été interrompue par une erreur :\n%1").arg(why)
                : QStringLiteral("La commande « %1 » a été interrompue par une erreur :\n%2")
                      .arg(what, why);
        m_dialogs.message(this, BoxKind::Error, text, {BoxButton::Ok});
    });
    m_panels = new StatusPanels(statusBar());
    m_settings = std::make_unique<AppSettings>(*this, m_dialogs, m_prefs);
    m_sync = std::make_unique<SyncCommands>(*this, *m_commands, m_dialogs, m_project, m_prefs,
                                            *m_panels);
    createWidgets();
    m_projects = std::make_unique<ProjectCommands>(
        *this, m_dialogs, m_project, comparison().fileList(), *pnlDir, m_settings->AppDir());
    m_lists = std::make_unique<ListCommands>(*this, m_project, comparison(), *pnlDir, *rvFiles);
    m_deletions = std::make_unique<DeletionCommands>(*this, *m_commands, m_dialogs, m_project,
                                                     m_prefs, comparison(), *rvFiles);
    m_folders = std::make_unique<FolderCommands>(*this, m_dialogs, m_project, m_prefs, *pnlDir,
                                                 *m_projects);
    m_tools = std::make_unique<ToolCommands>(*this, m_dialogs, m_project, comparison(), *rvFiles,
                                             m_settings->AppDir());
    m_settings->setSourceMonitor([this] { m_folders->ConfigureSourceMonitor(); });
    m_recent = std::make_unique<RecentProjects>(*this, *m_projects,
                                                [this] { return comparison().busy(); });
    m_projects->setRecentProjects(m_recent.get());
    bindCommands();
    createMenus();
    createToolBar();
    m_settings->readRecentList(*m_recent);
    m_placement = std::make_unique<WindowPlacement>(*this);
    m_placement->placeFirstRun(rvFiles->fontScale());
}

TfmMain::~TfmMain()
{
    setFaultReporter({});
    // The list view goes before the rows it shows; a copy run still working is stopped and
    // waited for by its unit, which never asks anything of the window meanwhile.
    delete takeCentralWidget();
}

void TfmMain::createWidgets()
{
    pnlDir = new FolderFields;
    pnlDir->setFolderOfText(
        [this](const QString &text) { return projectFolderPath(text, m_project.FileName); });
    connect(pnlDir, &FolderFields::extensionsSummaryClicked, this,
            [this] { guarded([this] { m_lists->ActProjectExtToExcludeExecute(); }); });
    connect(pnlDir, &FolderFields::filesSummaryClicked, this,
            [this] { guarded([this] { m_lists->ActProjectFilesToExcludeExecute(); }); });
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlDir);
    rvFiles = new FileListView(comparison().fileList());
    m_sync->setView(rvFiles);
    rvFiles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(rvFiles, &FileListView::rowsClicked, this,
            [this] { guarded([this] { rvFilesClick(); }); });
    connect(rvFiles, &FileListView::rowDoubleClicked, this,
            [this] { guarded([this] { m_lists->rvFilesDblClick(); }); });
    connect(rvFiles, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(rvFiles->viewport()->mapToGlobal(at)); });
    layout->addWidget(rvFiles, 1);
    setCentralWidget(central);
}

void TfmMain::bindCommands()
{
    using enum Command;
    CommandRegistry &c = *m_commands;
    ProjectCommands &projects = *m_projects;
    ListCommands &lists = *m_lists;
    SyncCommands &sync = *m_sync;
    AppSettings &settings = *m_settings;
    c.bind(ActProjectNew, [&projects] { projects.ActProjectNewExecute(); });
    c.bind(ActProjectOpen, [&projects] { projects.ActProjectOpenExecute(); });
    c.bind(ActProjectSave, [&projects] { projects.ActProjectSaveExecute(); });
    c.bind(ActProjectSaveAs, [&projects] { projects.ActProjectSaveAsExecute(); });
    c.bind(ActAppOptions, [&settings] { settings.ActAppOptionsExecute(); });
    c.bind(ActAppClose, [this] { close(); });
    c.bind(ActProjectDirInvertSrcAndDest,
           [&folders = *m_folders] { folders.ActProjectDirInvertSrcAndDestExecute(); });
    c.bind(ActProjectFileToCopyRefresh, [&sync] { sync.ActProjectFileToCopyRefreshExecute(); });
    c.bind(ActAppStop, [&sync] { sync.ActAppStopExecute(); });
    c.bind(ActAppCopyFiles, [&sync] { sync.ActAppCopyFilesExecute(); });
    c.bind(ActProjectFilesSelectAll, [&lists] { lists.ActProjectFilesSelectAllExecute(); });
    c.bind(ActProjectFilesDeselectAll, [&lists] { lists.ActProjectFilesDeselectAllExecute(); });
    c.bind(ActProjectFilesToCopyAdd, [&lists] { lists.ActProjectFilesToCopyAddExecute(); });
    c.bind(ActProjectFilesToCopyDelete, [&lists] { lists.ActProjectFilesToCopyDeleteExecute(); });
    c.bind(ActProjectFilesInvertSrcAndDest,
           [&lists] { lists.ActProjectFilesInvertSrcAndDestExecute(); });
    c.bind(ActProjectFileSetReadOnlyFalse,
           [&lists] { lists.ActProjectFileSetReadOnlyFalseExecute(); });
    c.bind(ActProjectExtToExcludeAdd, [&lists] { lists.ActProjectExtToExcludeAddExecute(); });
    c.bind(ActProjectFileToExcludeAdd, [&lists] { lists.ActProjectFileToExcludeAddExecute(); });
    c.bind(ActProjectExtToExcludeDelete, [&lists] { lists.ActProjectExtToExcludeDeleteExecute(); });
    c.bind(ActProjectFileToExcludeDelete,
           [&lists] { lists.ActProjectFileToExcludeDeleteExecute(); });
    c.bind(ActProjectExtToExclude, [&lists] { lists.ActProjectExtToExcludeExecute(); });
    c.bind(ActProjectFilesToExclude, [&lists] { lists.ActProjectFilesToExcludeExecute(); });
    const auto deleteBy = [&deletions = *m_deletions, &c](Command command) {
        return
            [&deletions, &sender = *c.action(command)] { deletions.ActFileDeleteExecute(sender); };
    };
    c.bind(ActFileDelete, deleteBy(ActFileDelete));
    c.bind(ActFileDeleteSrcInTrash, deleteBy(ActFileDeleteSrcInTrash));
    c.bind(ActFileDeleteDestInTrash, deleteBy(ActFileDeleteDestInTrash));
    c.bind(ActFileDeleteSrcAndDestInTrash, deleteBy(ActFileDeleteSrcAndDestInTrash));
    c.bind(ActFileDeleteSrcFull, deleteBy(ActFileDeleteSrcFull));
    c.bind(ActFileDeleteDestFull, deleteBy(ActFileDeleteDestFull));
    c.bind(ActFileDeleteSrcAndDestFull, deleteBy(ActFileDeleteSrcAndDestFull));
    ToolCommands &tools = *m_tools;
    c.bind(ActAppFileSetDateTime, [&tools] { tools.ActAppFileSetDateTimeExecute(); });
    c.bind(ActAppPrintPreview, [&tools] { tools.ActAppPrintPreviewExecute(); });
    c.bind(ActAppPrint, [&tools] { tools.ActAppPrintExecute(); });
    c.bind(ActAppExportList, [&tools] { tools.ActAppExportListExecute(); });
    c.bind(ActAppHelpReadme, [&tools] { tools.ActAppHelpReadmeExecute(); });
    c.bind(ActHelpAbout, [&tools] { tools.ActHelpAboutExecute(); });
    using platform::DesktopTool;
    c.bind(ActWinNetworkConnect,
           [] { ToolCommands::ActWinToolExecute(DesktopTool::NetworkConnect); });
    c.bind(ActWinNetworkDisconnect,
           [] { ToolCommands::ActWinToolExecute(DesktopTool::NetworkDisconnect); });
    c.bind(ActWinFileSearch, [] { ToolCommands::ActWinToolExecute(DesktopTool::FileSearch); });
    c.bind(ActWinFormatFloppy, [] { ToolCommands::ActWinToolExecute(DesktopTool::FormatDisk); });
    for (std::size_t i = 0; i < kCommandCount; ++i)
        addAction(m_commands->action(Command(i)));
}

QAction *TfmMain::command(Command which) const
{
    return m_commands->action(which);
}

QMenu *TfmMain::fillMenu(QMenu *menu, CommandPlace place)
{
    QMenu *deletion = nullptr;
    for (const PlaceEntry &entry : commandPlace(place)) {
        switch (entry.kind) {
        case PlaceEntry::Action:
            menu->addAction(command(entry.command));
            break;
        case PlaceEntry::Separator:
            menu->addSeparator();
            break;
        case PlaceEntry::DeleteSubMenu:
            deletion = new QMenu(QStringLiteral("Effacer fichiers"), this);
            fillMenu(deletion, CommandPlace::DeleteMenu);
            menu->addMenu(deletion);
            break;
        case PlaceEntry::RecentProjects:
            m_recent->attach(menu);
            break;
        }
    }
    return deletion;
}

void TfmMain::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("Fichier"));
    file->setObjectName(QStringLiteral("mnuFile"));
    fillMenu(file, CommandPlace::FileMenu);
    fillMenu(menuBar()->addMenu(QStringLiteral("Edition")), CommandPlace::EditMenu);
    fillMenu(menuBar()->addMenu(QStringLiteral("Projet")), CommandPlace::ProjectMenu);
    mnuFileDelete = fillMenu(menuBar()->addMenu(QStringLiteral("Outils")), CommandPlace::ToolsMenu);
    mnuFileDelete->setObjectName(QStringLiteral("mnuFileDelete"));
    fillMenu(menuBar()->addMenu(QStringLiteral("Aide")), CommandPlace::HelpMenu);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    mnu2FileDelete = fillMenu(PopupMenu1, CommandPlace::PopupMenu);
    mnu2FileDelete->setObjectName(QStringLiteral("mnu2FileDelete"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(mapToGlobal(at)); });
}

void TfmMain::createToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("Barre d'outils"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(16, 16));
    for (const PlaceEntry &entry : commandPlace(CommandPlace::ToolBar)) {
        if (entry.kind != PlaceEntry::Action) {
            bar->addSeparator();
            continue;
        }
        bar->addAction(command(entry.command));
        if (QWidget *button = bar->widgetForAction(command(entry.command)))
            button->setMinimumSize(58, 37);
    }
}

void TfmMain::initialise(TfmOptions *options)
{
    m_options = options;
    m_options->bindRemoveCommands(command(Command::ActProjectExtToExcludeDelete),
                                  command(Command::ActProjectFileToExcludeDelete));
    connect(m_options, &TfmOptions::applyRequested, this,
            [this] { guarded([this] { m_settings->applyOptions(); }); });
    m_lists->setOptions(options);
    m_settings->initialise(options);
    m_recent->setEnabled(m_prefs.IniWritable);
    m_projects->ProjectNew();
}

Comparison &TfmMain::comparison()
{
    return m_sync->comparison();
}

CopyRunThread *TfmMain::copyRunThread()
{
    return &m_sync->copyRunThread();
}

QString TfmMain::statusText(int panel) const
{
    return m_panels->text(panel);
}

// ---- Shared by the units.

void TfmMain::UpdateCommandStates()
{
    const Comparison &list = comparison();
    CommandContext context;
    context.busy = list.busy();
    context.stoppable = list.stoppable();
    context.listCurrent = list.listCurrent();
    context.rows = list.fileList().count();
    context.selectedRows = rvFiles->selectedCount();
    context.filesToCopyCount = list.filesToCopyCount();
    context.foldersDiffer = m_project.SrcPath != m_project.DestPath;
    context.deleteSource = m_prefs.FileDeleteSrc;
    context.deleteDestination = m_prefs.FileDeleteDest;
    context.deleteToTrash = m_prefs.FileDeleteSendToTrash;
    const CommandStates states = commandStates(context);
    m_commands->apply(states);
    m_recent->setBusy(context.busy);
    mnuFileDelete->setEnabled(states.deleteMenus);
    mnu2FileDelete->setEnabled(states.deleteMenus);
    pnlDir->setEditable(states.projectControls);
    rvFiles->viewport()->update();
    if (m_sync->takeCloseWhenIdle())
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfmMain::ShowSummary()
{
    m_sync->showSummary();
}

void TfmMain::RefreshFileList()
{
    comparison().RefreshFileList();
}

void TfmMain::ClassifyFileList()
{
    m_sync->ClassifyFileList();
}

void TfmMain::FoldersChanged()
{
    m_sync->foldersChanged();
}

void TfmMain::ShowExtToExclude()
{
    m_lists->ShowExtToExclude();
}

void TfmMain::ShowFilesToExclude()
{
    m_lists->ShowFilesToExclude();
}

void TfmMain::rvFilesClick()
{
    if (m_sync->rowClickAttached())
        UpdateCommandStates();
}

// ---- Window events.

void TfmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    guarded([this] { FormShow(); });
    guarded([this] { m_settings->restoreWindowState(*m_placement, *m_recent); });
}

void TfmMain::FormShow()
{
    m_projects->ProjectFieldEvents(false);
    pnlDir->edDirSrc->setText(m_project.SrcPath);
    pnlDir->edDirDest->setText(m_project.DestPath);
    m_projects->ProjectFieldEvents(true);
    m_projects->edDirSrcChange();
    m_projects->edDirDestChange();
    m_project.Modified = false;
    UpdateCommandStates();
    ShowSummary();
}

bool TfmMain::FormCloseQuery()
{
    bool allowed = false;
    guarded([this, &allowed] {
        m_projects->ProjectQuerySave();
        allowed = true;
    });
    return allowed;
}

void TfmMain::closeEvent(QCloseEvent *event)
{
    bool mayClose = false;
    guarded([this, &mayClose] { mayClose = m_sync->stopBusyWorkBeforeClosing(); });
    if (!mayClose || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    guarded([this] { m_settings->saveWindowState(*m_placement, *m_recent); });
    guarded([this] { FormClose(); });
    guarded([this] { m_settings->saveRecentList(*m_recent); });
    event->accept();
}

void TfmMain::FormClose()
{
    m_settings->SaveUserPrefs(m_settings->AppIniFile());
}
