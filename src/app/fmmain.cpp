#include "app/fmmain.h"

#include "app/commandtable.h"
#include "app/dialogs.h"
#include "app/fmoptions.h"
#include "app/guard.h"
#include "app/linklabel.h"
#include "compare/abort.h"
#include "compare/filesize.h"
#include "filelist/filelistview.h"
#include "filelist/resources.h"
#include "platform/appinfo.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "sync/copyrunreport.h"
#include "sync/copyrunthread.h"
#include "sync/volume.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScopeGuard>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kProjectFilter = QStringLiteral("Projet Tandrimo (*.tdm)");
const QString kProjectSuffix = QStringLiteral("tdm");

// The settings file: the executable's path with ".ini" added, unless TANDRIMO_INI names another.
QString settingsFilePath()
{
    const QString chosen = qEnvironmentVariable("TANDRIMO_INI");
    return chosen.isEmpty() ? platform::executablePath() + u".ini" : chosen;
}

} // namespace

TfmMain::TfmMain(Dialogs &dialogs, QWidget *parent) : QMainWindow(parent), m_dialogs(dialogs)
{
    ensureResources();
    setObjectName(QStringLiteral("fmMain"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tandrimo.svg")));
    resize(700, 539);
    createWidgets();
    createCommands();
    createMenus();
    createToolBar();
    JvThread1 = new CopyRunThread(this);
    connect(JvThread1, &CopyRunThread::finishAll, this,
            [this] { guarded([this] { JvThread1FinishAll(); }); });
    // The recent-projects list is read from the settings file here.
}

TfmMain::~TfmMain()
{
    // The run ends before any part of the window goes; the worker never touches it afterwards.
    if (JvThread1->isRunning())
        JvThread1->stopAndWait();
}

void TfmMain::createWidgets()
{
    auto *pnlDir = new QWidget;
    pnlDir->setObjectName(QStringLiteral("pnlDir"));
    edDirSrcLabel1 = new QLabel(QStringLiteral("Répertoire source"));
    edDirDestLabel1 = new QLabel(QStringLiteral("Répertoire Destination"));
    edDirSrcLabel1->setObjectName(QStringLiteral("edDirSrcLabel1"));
    edDirDestLabel1->setObjectName(QStringLiteral("edDirDestLabel1"));
    for (QLabel *label : {edDirSrcLabel1, edDirDestLabel1}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    edDirSrc = new QLineEdit;
    edDirSrc->setObjectName(QStringLiteral("edDirSrc"));
    edDirDest = new QLineEdit;
    edDirDest->setObjectName(QStringLiteral("edDirDest"));
    cbPathRecursive = new QCheckBox(QStringLiteral("Inclure sous-répertoires"));
    cbPathRecursive->setObjectName(QStringLiteral("cbPathRecursive"));
    auto *extLink = new LinkLabel;
    extLink->setObjectName(QStringLiteral("urlExtToExclude"));
    connect(extLink, &LinkLabel::clicked, this,
            [this] { guarded([this] { m_options->showPage(TfmOptions::PageExtensions); }); });
    urlExtToExclude = extLink;
    auto *filesLink = new LinkLabel;
    filesLink->setObjectName(QStringLiteral("urlFilesToExclude"));
    connect(filesLink, &LinkLabel::clicked, this,
            [this] { guarded([this] { m_options->showPage(TfmOptions::PageFiles); }); });
    urlFilesToExclude = filesLink;

    // The 8-pixel margins keep the fields at the panel's width minus 16 as the window resizes.
    auto *grid = new QGridLayout(pnlDir);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->addWidget(edDirSrcLabel1, 0, 0, 1, 4);
    grid->addWidget(edDirSrc, 1, 0, 1, 4);
    grid->addWidget(edDirDestLabel1, 2, 0, 1, 4);
    grid->addWidget(edDirDest, 3, 0, 1, 4);
    grid->addWidget(cbPathRecursive, 4, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Extensions à filtrer :")), 5, 0);
    grid->addWidget(urlExtToExclude, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("Fichiers à filtrer :")), 5, 2);
    grid->addWidget(urlFilesToExclude, 5, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlDir);
    rvFiles = new FileListView(m_comparison.fileList());
    rvFiles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(rvFiles, &FileListView::rowsClicked, this,
            [this] { guarded([this] { rvFilesClick(); }); });
    connect(rvFiles, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(rvFiles->viewport()->mapToGlobal(at)); });
    layout->addWidget(rvFiles, 1);
    setCentralWidget(central);

    auto *progressPanel = new QWidget;
    progressPanel->setFixedWidth(100);
    auto *progressLayout = new QVBoxLayout(progressPanel);
    progressLayout->setContentsMargins(2, 2, 2, 2);
    AdvProgress1 = new QProgressBar;
    AdvProgress1->setObjectName(QStringLiteral("AdvProgress1"));
    AdvProgress1->setRange(0, 100);
    AdvProgress1->setValue(0);
    AdvProgress1->setTextVisible(false);
    progressLayout->addWidget(AdvProgress1);
    statusPanel1 = new QLabel;
    statusPanel1->setObjectName(QStringLiteral("statusPanel1"));
    statusPanel1->setFixedWidth(130);
    statusPanel2 = new QLabel;
    statusPanel2->setObjectName(QStringLiteral("statusPanel2"));
    statusBar()->setObjectName(QStringLiteral("O32StatusBar1"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(progressPanel);
    statusBar()->addWidget(statusPanel1);
    statusBar()->addWidget(statusPanel2, 1);
}

void TfmMain::connectGuarded(QAction *action, std::function<void()> operation)
{
    connect(action, &QAction::triggered, this,
            [operation = std::move(operation)] { guarded(operation); });
}

QAction *TfmMain::command(const char *name) const
{
    return findChild<QAction *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

// A command without an operation stays disabled whatever the state.
static const char *const kHasOperation = "hasOperation";

void TfmMain::createCommands()
{
    const std::map<QByteArray, std::function<void()>> operations = commandOperations();
    for (const CommandSpec &described : commandTable()) {
        auto *action = new QAction(QString::fromUtf16(described.caption), this);
        action->setObjectName(QLatin1String(described.name));
        const QString hint =
            described.hint == nullptr ? action->text() : QString::fromUtf16(described.hint);
        action->setToolTip(hint.isEmpty() ? QString() : hint);
        if (described.shortcut.key() != Qt::Key_unknown)
            action->setShortcut(QKeySequence(described.shortcut));
        if (described.picture != nullptr)
            action->setIcon(QIcon(QLatin1String(described.picture)));
        const auto operation = operations.find(QByteArray(described.name));
        const bool has = operation != operations.end();
        action->setProperty(kHasOperation, has);
        action->setEnabled(has);
        if (has)
            connectGuarded(action, operation->second);
        addAction(action);
    }
}

std::map<QByteArray, std::function<void()>> TfmMain::commandOperations()
{
    return {
        {"ActProjectNew", [this] { ActProjectNewExecute(); }},
        {"ActProjectOpen", [this] { ActProjectOpenExecute(); }},
        {"ActProjectSave", [this] { ActProjectSaveExecute(); }},
        {"ActProjectSaveAs", [this] { ActProjectSaveAsExecute(); }},
        {"ActAppOptions", [this] { ActAppOptionsExecute(); }},
        {"ActAppClose", [this] { ActAppCloseExecute(); }},
        {"ActProjectFileToCopyRefresh", [this] { ActProjectFileToCopyRefreshExecute(); }},
        {"ActAppStop", [this] { ActAppStopExecute(); }},
        {"ActAppCopyFiles", [this] { ActAppCopyFilesExecute(); }},
        {"ActProjectFilesSelectAll", [this] { ActProjectFilesSelectAllExecute(); }},
        {"ActProjectFilesDeselectAll", [this] { ActProjectFilesDeselectAllExecute(); }},
        {"ActProjectExtToExclude", [this] { m_options->showPage(TfmOptions::PageExtensions); }},
        {"ActProjectFilesToExclude", [this] { m_options->showPage(TfmOptions::PageFiles); }},
    };
}

QMenu *TfmMain::addMenu(QMenu *menu, std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        if (name == nullptr)
            menu->addSeparator();
        else
            menu->addAction(command(name));
    }
    return menu;
}

QMenu *TfmMain::createDeleteMenu(const char *objectName)
{
    auto *menu = new QMenu(QStringLiteral("Effacer fichiers"), this);
    menu->setObjectName(QLatin1String(objectName));
    return addMenu(menu, {"ActFileDeleteSrcInTrash", "ActFileDeleteDestInTrash",
                          "ActFileDeleteSrcAndDestInTrash", "ActFileDeleteSrcFull",
                          "ActFileDeleteDestFull", "ActFileDeleteSrcAndDestFull"});
}

void TfmMain::createMenus()
{
    constexpr const char *sep = nullptr;
    mnuFile = menuBar()->addMenu(QStringLiteral("Fichier"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    addMenu(mnuFile, {"ActProjectNew", "ActProjectOpen", "ActProjectSave", "ActProjectSaveAs", sep,
                      "ActAppPrintPreview", "ActAppPrint", sep, "ActAppOptions", sep});
    // The recent-project entries, with their own separator, go above "Quitter".
    addMenu(mnuFile, {"ActAppClose"});
    addMenu(menuBar()->addMenu(QStringLiteral("Edition")),
            {"ActCut", "ActCopy", "ActPaste", sep, "ActProjectFilesSelectAll",
             "ActProjectFilesDeselectAll"});
    addMenu(menuBar()->addMenu(QStringLiteral("Projet")),
            {"ActProjectFileToCopyRefresh", "ActAppCopyFiles", "ActAppStop", sep,
             "ActProjectFilesToCopyAdd", "ActProjectFilesToCopyDelete", sep,
             "ActProjectExtToExcludeAdd", "ActProjectFileToExcludeAdd",
             "ActProjectFilesInvertSrcAndDest", "ActProjectDirInvertSrcAndDest", sep,
             "ActProjectExtToExclude", "ActProjectFilesToExclude"});
    QMenu *tools =
        addMenu(menuBar()->addMenu(QStringLiteral("Outils")),
                {"ActAppFileSetDateTime", sep, "ActProjectFileSetReadOnlyFalse", "ActFileDelete"});
    mnuFileDelete = createDeleteMenu("mnuFileDelete");
    tools->addMenu(mnuFileDelete);
    addMenu(tools, {sep, "ActWinNetworkConnect", "ActWinNetworkDisconnect", "ActWinFileSearch",
                    "ActAppMakeDirectory", "ActWinFormatFloppy"});
    addMenu(menuBar()->addMenu(QStringLiteral("Aide")),
            {"ActHelpIndex", sep, "ActAppHelpReadme", sep, "ActHelpAbout"});

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addMenu(PopupMenu1, {"ActProjectFileToCopyRefresh",
                         "ActAppCopyFiles",
                         "ActAppStop",
                         sep,
                         "ActProjectFilesToCopyAdd",
                         "ActProjectFilesToCopyDelete",
                         sep,
                         "ActProjectExtToExcludeAdd",
                         "ActProjectFileToExcludeAdd",
                         "ActProjectFilesInvertSrcAndDest",
                         "ActProjectDirInvertSrcAndDest",
                         sep,
                         "ActProjectExtToExclude",
                         "ActProjectFilesToExclude",
                         sep,
                         "ActProjectFilesSelectAll",
                         "ActProjectFilesDeselectAll",
                         sep,
                         "ActAppFileSetDateTime",
                         sep,
                         "ActProjectFileSetReadOnlyFalse",
                         "ActFileDelete"});
    mnu2FileDelete = createDeleteMenu("mnu2FileDelete");
    PopupMenu1->addMenu(mnu2FileDelete);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(mapToGlobal(at)); });
}

void TfmMain::createToolBar()
{
    ToolBar1 = addToolBar(QStringLiteral("Barre d'outils"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    const std::initializer_list<const char *> buttons{
        "ActProjectNew",      "ActProjectOpen", "ActProjectSave", nullptr,
        "ActAppPrintPreview", "ActAppPrint",    nullptr,          "ActProjectFileToCopyRefresh",
        "ActAppCopyFiles",    "ActAppStop",     nullptr,          "ActAppClose"};
    for (const char *name : buttons) {
        if (name == nullptr) {
            ToolBar1->addSeparator();
            continue;
        }
        ToolBar1->addAction(command(name));
        if (QWidget *button = ToolBar1->widgetForAction(command(name)))
            button->setMinimumSize(58, 37);
    }
}

void TfmMain::initialise(TfmOptions *options)
{
    m_options = options;
    m_options->bindRemoveCommands(command("ActProjectExtToExcludeDelete"),
                                  command("ActProjectFileToExcludeDelete"));
    connect(m_options, &TfmOptions::applyRequested, this,
            [this] { guarded([this] { applyOptions(); }); });
    m_appDir = platform::executableFolder();
    m_appIniFile = settingsFilePath();
    LoadUserPrefs(m_appIniFile);
    m_prefs.IniWritable = TestIniWritable();
    ProjectNew();
}

// ---- The open project and its file.

void TfmMain::ProjectSetFileName(const QString &path)
{
    m_project.FileName = path;
    setWindowTitle(QStringLiteral("Tandrimo - [%1]").arg(platform::fileNamePart(path)));
    m_project.Modified = false;
}

void TfmMain::ProjectFieldEvents(bool attach)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_fieldConnections))
        disconnect(connection);
    m_fieldConnections.clear();
    if (!attach)
        return;
    m_fieldConnections = {
        connect(edDirSrc, &QLineEdit::textChanged, this,
                [this] { guarded([this] { edDirSrcChange(); }); }),
        connect(edDirDest, &QLineEdit::textChanged, this,
                [this] { guarded([this] { edDirDestChange(); }); }),
        connect(cbPathRecursive, &QCheckBox::clicked, this,
                [this] { guarded([this] { cbPathRecursiveClick(); }); }),
    };
}

void TfmMain::ProjectNew()
{
    ProjectFieldEvents(false);
    m_project.SrcPath = kDefaultProjectFolder;
    m_project.DestPath = kDefaultProjectFolder;
    m_project.PathRecursive = false;
    ProjectSetFileName(QString());
    cbPathRecursive->setChecked(false);
    edDirSrc->setText(m_project.SrcPath);
    edDirDest->setText(m_project.DestPath);
    m_project.ExtensionsToExclude.clear();
    m_project.FilesToExclude.clear();
    m_comparison.fileList().clear();
    ShowExtToExclude();
    ShowFilesToExclude();
    UpdateCommandStates();
    ShowSummary();
    m_project.Modified = false;
    ProjectFieldEvents(true);
}

bool TfmMain::ProjectLoad(const QString &path)
{
    ProjectFileContent content;
    ProjectFileRead read;
    {
        BusyCursor busy;
        read = readProjectFile(path, content);
    }
    if (!read.ok()) {
        m_dialogs.message(this, read.noFile() ? BoxKind::Information : BoxKind::Error,
                          projectReadRefusal(path, read), {BoxButton::Ok});
        return false;
    }
    m_project.SrcPath = content.SrcPath;
    m_project.DestPath = content.DestPath;
    m_project.PathRecursive = content.PathRecursive;
    m_project.ExtensionsToExclude.assign(content.extensionsToExclude);
    m_project.FilesToExclude.assign(content.filesToExclude);
    ProjectShowInFields();
    ProjectSetFileName(path);
    // The path goes to the front of the recent-projects list here.
    UpdateCommandStates();
    ShowSummary();
    // Said before the refresh, whose folder check then stops on a missing folder.
    if (!read.missingKeys.isEmpty()) {
        m_dialogs.message(this, BoxKind::Warning, projectIncompleteWarning(path, read),
                          {BoxButton::Ok});
    }
    RefreshFileList();
    return true;
}

ProjectFileContent TfmMain::projectContent() const
{
    ProjectFileContent content;
    content.SrcPath = m_project.SrcPath;
    content.DestPath = m_project.DestPath;
    content.PathRecursive = m_project.PathRecursive;
    content.extensionsToExclude = m_project.ExtensionsToExclude.entries();
    content.filesToExclude = m_project.FilesToExclude.entries();
    return content;
}

bool TfmMain::ProjectSaveTo(const QString &path)
{
    const platform::IoStatus status = writeProjectFile(path, projectContent());
    if (!status.ok()) {
        // The file is replaced in one step, so a failure leaves it as it was; the project keeps
        // its name and its modified state, and the command that asked for the save stops.
        m_dialogs.message(this, BoxKind::Error,
                          QStringLiteral("Le projet n'a pas pu être enregistré dans le fichier "
                                         "\"%1\" :\n%2")
                              .arg(path, status.reason()),
                          {BoxButton::Ok});
        throw Abort();
    }
    ProjectSetFileName(path);
    // The path goes to the front of the recent-projects list here.
    return true;
}

void TfmMain::ProjectShowInFields()
{
    BusyCursor busy;
    ProjectFieldEvents(false);
    edDirSrc->setText(m_project.SrcPath);
    edDirDest->setText(m_project.DestPath);
    cbPathRecursive->setChecked(m_project.PathRecursive);
    ShowExtToExclude();
    ShowFilesToExclude();
    ProjectFieldEvents(true);
}

void TfmMain::ProjectQuerySave()
{
    if (!m_project.Modified)
        return;
    const BoxButton answer = m_dialogs.message(
        this, BoxKind::Confirmation, QStringLiteral("Projet en cours modifié. Le sauvegarder ?"),
        {BoxButton::Yes, BoxButton::No, BoxButton::Cancel});
    if (answer == BoxButton::Yes)
        ActProjectSaveExecute();
    else if (answer != BoxButton::No)
        throw Abort();
}

// ---- The folder fields.

void TfmMain::showFolderState(QLineEdit *field)
{
    QPalette colours = QApplication::palette(field);
    if (!platform::isExistingFolder(field->text())) {
        colours.setColor(QPalette::Text, Qt::yellow);
        colours.setColor(QPalette::Base, Qt::red);
    }
    field->setPalette(colours);
}

QString TfmMain::volumeCaption(const QString &side, const QString &folder)
{
    const VolumeInfo volume = QueryVolume(folder);
    return QStringLiteral("Répertoire %1 (volume \"%2\", %3)")
        .arg(side, volume.VolumeLabel, MediaTypeName(volume.MediaType));
}

void TfmMain::edDirSrcChange()
{
    m_project.SrcPath = edDirSrc->text();
    showFolderState(edDirSrc);
    edDirSrcLabel1->setText(volumeCaption(QStringLiteral("Source"), m_project.SrcPath));
    m_project.Modified = true;
}

void TfmMain::edDirDestChange()
{
    m_project.DestPath = edDirDest->text();
    showFolderState(edDirDest);
    edDirDestLabel1->setText(volumeCaption(QStringLiteral("Destination"), m_project.DestPath));
    m_project.Modified = true;
}

void TfmMain::cbPathRecursiveClick()
{
    m_project.PathRecursive = cbPathRecursive->isChecked();
    m_project.Modified = true;
    RefreshFileList();
}

// ---- The exclusion lists.

void TfmMain::ExtToExcludeAdd(const QString &extension)
{
    if (extension.isEmpty())
        return;
    if (m_project.ExtensionsToExclude.add(extension))
        m_project.Modified = true;
    ShowExtToExclude();
    ClassifyFileList();
}

void TfmMain::FileToExcludeAdd(const QString &relativePath)
{
    if (relativePath.isEmpty())
        return;
    if (m_project.FilesToExclude.add(relativePath))
        m_project.Modified = true;
    ShowFilesToExclude();
    ClassifyFileList();
}

void TfmMain::ExtToExcludeDelete(int index, bool classify)
{
    if (m_project.ExtensionsToExclude.removeAt(index))
        m_project.Modified = true;
    ShowExtToExclude();
    if (classify)
        ClassifyFileList();
}

void TfmMain::FileToExcludeDelete(int index)
{
    if (m_project.FilesToExclude.removeAt(index))
        m_project.Modified = true;
    ShowFilesToExclude();
    ClassifyFileList();
}

void TfmMain::ShowExtToExclude()
{
    urlExtToExclude->setText(extensionsSummary(m_project.ExtensionsToExclude.entries()));
}

void TfmMain::ShowFilesToExclude()
{
    urlFilesToExclude->setText(filesSummary(m_project.FilesToExclude.entries()));
}

void TfmMain::removeSelectedExclusions()
{
    // The "Retirer" commands arrive with the exclusion commands of the file list.
}

// ---- Preferences and the settings file.

void TfmMain::LoadUserPrefs(const QString &iniPath)
{
    const QString unreadable = readUserPrefs(iniPath, m_prefs);
    if (!unreadable.isEmpty()) {
        m_dialogs.message(this, BoxKind::Warning,
                          QStringLiteral("Le fichier de paramètres \"%1\" ne peut pas être lu "
                                         "(%2) : les préférences par défaut sont utilisées.")
                              .arg(iniPath, unreadable),
                          {BoxButton::Ok});
    }
    ApplyUserPrefs();
}

void TfmMain::SaveUserPrefs(const QString &iniPath)
{
    if (!m_prefs.IniWritable)
        return;
    const platform::IoStatus status = writeUserPrefs(iniPath, m_prefs);
    if (!status.ok()) {
        m_dialogs.message(this, BoxKind::Warning,
                          QStringLiteral("Les préférences n'ont pas pu être enregistrées dans le "
                                         "fichier \"%1\" :\n%2")
                              .arg(iniPath, status.reason()),
                          {BoxButton::Ok});
    }
}

void TfmMain::ApplyUserPrefs()
{
    m_options->showPrefs(m_prefs);
    // The source-folder monitor follows FileSpy here.
}

bool TfmMain::TestIniWritable()
{
    const bool writable =
        platform::writeProfileString(m_appIniFile, QStringLiteral("Test"),
                                     QStringLiteral("WriteToIniTest"), QStringLiteral("1"))
            .ok();
    // The window-state keeper and the recent-projects menu follow the result here.
    return writable;
}

void TfmMain::applyOptions()
{
    m_options->readPrefs(m_prefs);
    ApplyUserPrefs();
    UpdateCommandStates();
}

// ---- The file list and the state of the commands.

void TfmMain::RefreshFileList()
{
    m_comparison.RefreshFileList();
}

void TfmMain::ClassifyFileList()
{
    m_comparison.ClassifyFileList();
}

int TfmMain::rowCount() const
{
    return m_comparison.fileList().count();
}

int TfmMain::selectedCount() const
{
    return rvFiles->selectedCount();
}

int TfmMain::filesToCopyCount() const
{
    return m_comparison.FilesToCopyCount;
}

void TfmMain::UpdateCommandStates()
{
    const bool B = m_comparison.Busy;
    const bool R = rowCount() > 0;
    const bool S = selectedCount() > 0;
    const bool N = filesToCopyCount() > 0;
    const bool D = m_project.SrcPath != m_project.DestPath;
    const auto enable = [this](std::initializer_list<const char *> names, bool state) {
        for (const char *name : names) {
            QAction *action = command(name);
            action->setEnabled(state && action->property(kHasOperation).toBool());
        }
    };
    enable({"ActProjectNew", "ActProjectOpen", "ActProjectSave"}, !B);
    enable({"ActAppPrint", "ActAppPrintPreview", "ActProjectFileToCopyRefresh"}, !B && R);
    enable({"ActAppCopyFiles"}, !B && N);
    enable({"ActAppStop"}, B);
    enable({"ActFileDelete", "ActProjectFilesToCopyAdd", "ActProjectFilesToCopyDelete",
            "ActProjectExtToExcludeAdd", "ActProjectFileToExcludeAdd",
            "ActProjectFilesInvertSrcAndDest", "ActAppFileSetDateTime",
            "ActProjectFileSetReadOnlyFalse"},
           !B && S);
    mnuFileDelete->setEnabled(!B && S);
    mnu2FileDelete->setEnabled(!B && S);
    enable({"ActProjectDirInvertSrcAndDest"}, !B && D);
    enable({"ActProjectExtToExclude", "ActProjectFilesToExclude", "ActWinNetworkConnect",
            "ActWinNetworkDisconnect", "ActWinFileSearch", "ActWinFormatFloppy", "ActAppClose"},
           !B);
    enable({"ActAppMakeDirectory", "ActCut", "ActCopy", "ActPaste", "ActHelpIndex"}, false);
    for (QWidget *control :
         {static_cast<QWidget *>(edDirSrc), static_cast<QWidget *>(edDirDest),
          static_cast<QWidget *>(cbPathRecursive), static_cast<QWidget *>(urlExtToExclude),
          static_cast<QWidget *>(urlFilesToExclude)})
        control->setEnabled(!B);

    QString caption = m_prefs.FileDeleteSendToTrash
                          ? QStringLiteral("Supprimer [Dans poubelle] fichiers sélectionnés")
                          : QStringLiteral("Supprimer [Définitif] fichiers sélectionnés");
    if (m_prefs.FileDeleteSrc)
        caption += QStringLiteral(" [Source]");
    if (m_prefs.FileDeleteDest)
        caption += QStringLiteral(" [Destination]");
    QAction *deleteCommand = command("ActFileDelete");
    deleteCommand->setText(caption);
    deleteCommand->setToolTip(caption);
    rvFiles->viewport()->update();
    if (m_closeWhenIdle && !B) {
        m_closeWhenIdle = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void TfmMain::ShowSummary()
{
    statusPanel1->setText(SizeText(DestinationFreeSpace(m_project.DestPath), true));
    m_comparison.ShowStatusMessage(m_comparison.summaryText());
}

void TfmMain::ShowStatusMessage(const QString &text)
{
    m_comparison.ShowStatusMessage(text);
}

QString TfmMain::statusText(int panel) const
{
    return panel == 1 ? statusPanel1->text() : m_statusText;
}

// ---- What the comparison asks of the window.

void TfmMain::setStatusText(const QString &text)
{
    // The label follows at the next pass of the event loop: a pass over 100,000 rows sets the
    // text for each row, and the label need not lay itself out that often.
    m_statusText = text;
    if (m_statusTextQueued)
        return;
    m_statusTextQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_statusTextQueued = false;
            statusPanel2->setText(m_statusText);
        },
        Qt::QueuedConnection);
}

void TfmMain::processPendingInput()
{
    QCoreApplication::processEvents();
}

void TfmMain::showBusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TfmMain::restoreCursor()
{
    QApplication::restoreOverrideCursor();
}

BoxButton TfmMain::message(BoxKind kind, const QString &text, const BoxButtons &buttons)
{
    return m_dialogs.message(this, kind, text, buttons);
}

void TfmMain::showSummary()
{
    ShowSummary();
}

void TfmMain::updateCommandStates()
{
    UpdateCommandStates();
}

// ---- What the copy run asks of the window.

void TfmMain::setBusyCursor(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfmMain::setRowClickHandler(bool attached)
{
    m_rowClickAttached = attached;
}

void TfmMain::setCurrentRow(int index)
{
    if (index >= 0 && index < rowCount())
        rvFiles->setCurrentRow(index);
}

void TfmMain::clearCurrentRow(bool scrollToFirst)
{
    if (scrollToFirst)
        rvFiles->scrollToTop();
    rvFiles->clearCurrentRow();
}

void TfmMain::setRowStatusText(int index, const QString &text)
{
    if (index >= 0 && index < rowCount())
        m_comparison.fileList().setStatusText(index, text);
}

void TfmMain::setRowError(int index, const QString &text, const QString &detail)
{
    if (index >= 0 && index < rowCount())
        m_comparison.fileList().setError(index, text, detail);
}

void TfmMain::setStatusPanel(int panel, const QString &text)
{
    if (panel == 1)
        statusPanel1->setText(text);
    else
        setStatusText(text);
}

void TfmMain::setProgress(int percent)
{
    AdvProgress1->setValue(std::clamp(percent, 0, 100));
}

// ---- Commands.

void TfmMain::ActProjectNewExecute()
{
    ProjectQuerySave();
    ProjectNew();
}

void TfmMain::ActProjectOpenExecute()
{
    ProjectQuerySave();
    const QString path = m_dialogs.openFileName(this, m_appDir, kProjectFilter);
    if (!path.isEmpty())
        ProjectLoad(path);
}

void TfmMain::ActProjectSaveExecute()
{
    if (platform::isExistingFile(m_project.FileName))
        ProjectSaveTo(m_project.FileName);
    else
        ActProjectSaveAsExecute();
}

void TfmMain::ActProjectSaveAsExecute()
{
    const QString path = m_dialogs.saveFileName(this, m_appDir, kProjectFilter, kProjectSuffix);
    if (!path.isEmpty())
        ProjectSaveTo(path);
}

void TfmMain::ActAppCloseExecute()
{
    close();
}

void TfmMain::ActAppOptionsExecute()
{
    m_options->showLastPage();
}

void TfmMain::ActProjectFileToCopyRefreshExecute()
{
    RefreshFileList();
    ShowSummary();
}

void TfmMain::ActAppStopExecute()
{
    m_comparison.StopRequested = true;
    command("ActAppStop")->setEnabled(false);
}

void TfmMain::ActProjectFilesSelectAllExecute()
{
    rvFiles->selectAllRows();
    UpdateCommandStates();
}

void TfmMain::ActProjectFilesDeselectAllExecute()
{
    rvFiles->clearRowSelection();
    UpdateCommandStates();
}

void TfmMain::rvFilesClick()
{
    if (m_rowClickAttached)
        UpdateCommandStates();
}

void TfmMain::ActAppCopyFilesExecute()
{
    CopyRunSettings settings;
    settings.SrcPath = m_project.SrcPath;
    settings.DestPath = m_project.DestPath;
    settings.FileSyncReadOnly = m_prefs.FileSyncReadOnly;
    settings.FileCompareCopy = m_prefs.FileCompareCopy;
    settings.FilesToCopyCount = m_comparison.FilesToCopyCount;
    if (!JvThread1->start(m_comparison.fileList(), settings, m_comparison.StopRequested,
                          m_comparison.Busy, m_copyRunHost))
        return;
    UpdateCommandStates();
    ShowSummary();
    AdvProgress1->setValue(0);
}

void TfmMain::JvThread1FinishAll()
{
    const CopyRun *run = JvThread1->lastRun();
    if (run != nullptr && run->end() == CopyRunEnd::Error)
        m_dialogs.message(this, BoxKind::Error, run->errorText(), {BoxButton::Ok});
    const QString report =
        run != nullptr ? copyRunReport(run->failures(), run->timesNotKept()) : QString();
    {
        const auto idle = qScopeGuard([this] {
            AdvProgress1->setValue(0);
            setStatusText(QString());
            m_comparison.Busy = false;
            UpdateCommandStates();
            ShowSummary();
        });
        ClassifyFileList();
    }
    // Told once the list shows the run's outcome, so that the failed rows are there to see.
    if (!report.isEmpty())
        m_dialogs.message(this, BoxKind::Warning, report, {BoxButton::Ok});
}

// ---- Window events.

void TfmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    guarded([this] { FormShow(); });
    // The window placement, then the stored recent-projects list, are restored here.
}

void TfmMain::FormShow()
{
    ProjectFieldEvents(false);
    edDirSrc->setText(m_project.SrcPath);
    edDirDest->setText(m_project.DestPath);
    ProjectFieldEvents(true);
    edDirSrcChange();
    edDirDestChange();
    m_project.Modified = false;
    UpdateCommandStates();
    ShowSummary();
}

bool TfmMain::FormCloseQuery()
{
    bool allowed = false;
    guarded([this, &allowed] {
        ProjectQuerySave();
        allowed = true;
    });
    return allowed;
}

bool TfmMain::stopBusyWorkBeforeClosing()
{
    if (!m_comparison.Busy)
        return true;
    const bool copying = JvThread1->isRunning();
    const BoxButton answer = m_dialogs.message(
        this, BoxKind::Confirmation,
        copying ? QStringLiteral("La synchronisation des fichiers est en cours.\n"
                                 "Souhaitez-vous l'arrêter et fermer Tandrimo ?")
                : QStringLiteral("La liste des fichiers est en cours de mise à jour.\n"
                                 "Souhaitez-vous l'arrêter et fermer Tandrimo ?"),
        {BoxButton::Yes, BoxButton::No});
    if (answer != BoxButton::Yes)
        return false;
    if (copying) {
        // The current file is finished, then the run ends; its end runs before we go on.
        JvThread1->stopAndWait();
        return true;
    }
    // A refresh works further up this very call stack: it ends at its next entry, and the
    // close is asked again once the list is idle.
    m_comparison.StopRequested = true;
    m_closeWhenIdle = true;
    return false;
}

void TfmMain::closeEvent(QCloseEvent *event)
{
    bool mayClose = false;
    guarded([this, &mayClose] { mayClose = stopBusyWorkBeforeClosing(); });
    if (!mayClose || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    // The window placement and the recent-projects list are saved here.
    guarded([this] { FormClose(); });
    event->accept();
}

void TfmMain::FormClose()
{
    SaveUserPrefs(m_appIniFile);
}
