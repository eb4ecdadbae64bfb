#include "app/fmmain.h"

#include "app/dialogs.h"
#include "app/fmoptions.h"
#include "app/guard.h"
#include "app/linklabel.h"
#include "compare/abort.h"
#include "platform/appinfo.h"
#include "platform/inifile.h"
#include "platform/paths.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
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
    setObjectName(QStringLiteral("fmMain"));
    resize(700, 539);
    createWidgets();
    createCommands();
    createMenus();
    // The recent-projects list is read from the settings file here.
}

TfmMain::~TfmMain() = default;

void TfmMain::createWidgets()
{
    auto *pnlDir = new QWidget;
    pnlDir->setObjectName(QStringLiteral("pnlDir"));
    edDirSrcLabel1 = new QLabel(QStringLiteral("Répertoire source"));
    edDirDestLabel1 = new QLabel(QStringLiteral("Répertoire Destination"));
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
    layout->addStretch();
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

QAction *TfmMain::addCommand(const char *name, const QString &caption, const QKeySequence &shortcut,
                             std::function<void()> operation)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(caption);
    action->setToolTip(caption);
    action->setShortcut(shortcut);
    if (operation)
        connectGuarded(action, std::move(operation));
    else
        action->setEnabled(false);
    addAction(action);
    return action;
}

QAction *TfmMain::command(const char *name) const
{
    return findChild<QAction *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

void TfmMain::createCommands()
{
    addCommand("ActProjectNew", QStringLiteral("Nouveau"), QKeySequence(Qt::CTRL | Qt::Key_N),
               [this] { ActProjectNewExecute(); });
    addCommand("ActProjectOpen", QStringLiteral("Ouvrir..."), QKeySequence(Qt::CTRL | Qt::Key_O),
               [this] { ActProjectOpenExecute(); });
    addCommand("ActProjectSave", QStringLiteral("Sauver"), QKeySequence(Qt::CTRL | Qt::Key_S),
               [this] { ActProjectSaveExecute(); });
    addCommand("ActProjectSaveAs", QStringLiteral("Sauver sous..."), QKeySequence(),
               [this] { ActProjectSaveAsExecute(); });
    addCommand("ActAppOptions", QStringLiteral("Options"), QKeySequence(),
               [this] { ActAppOptionsExecute(); });
    addCommand("ActAppClose", QStringLiteral("Quitter"), QKeySequence(Qt::CTRL | Qt::Key_Q),
               [this] { ActAppCloseExecute(); });
    addCommand("ActProjectExtToExcludeDelete", QStringLiteral("Retirer"), QKeySequence(),
               [this] { removeSelectedExclusions(); });
    addCommand("ActProjectFileToExcludeDelete", QStringLiteral("Retirer"), QKeySequence(),
               [this] { removeSelectedExclusions(); });
}

void TfmMain::createMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("Fichier"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFile->addAction(command("ActProjectNew"));
    mnuFile->addAction(command("ActProjectOpen"));
    mnuFile->addAction(command("ActProjectSave"));
    mnuFile->addAction(command("ActProjectSaveAs"));
    mnuFile->addSeparator();
    mnuFile->addAction(command("ActAppOptions"));
    mnuFile->addSeparator();
    // The recent-project entries, with their own separator, go above "Quitter".
    mnuFile->addAction(command("ActAppClose"));
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
    ShowExtToExclude();
    ShowFilesToExclude();
    UpdateCommandStates();
    ShowSummary();
    m_project.Modified = false;
    ProjectFieldEvents(true);
}

bool TfmMain::ProjectLoad(const QString &path)
{
    if (!platform::isExistingFile(path)) {
        m_dialogs.message(
            this, BoxKind::Information,
            QStringLiteral("Le fichier \"%1\" ne peut pas être ouvert car il n'existe pas.")
                .arg(platform::fileNamePart(path)),
            {BoxButton::Ok});
        return false;
    }
    ProjectFileContent content;
    {
        BusyCursor busy;
        const platform::IoStatus status = readProjectFile(path, content);
        if (!status.ok()) {
            m_dialogs.message(this, BoxKind::Error,
                              QStringLiteral("Le fichier \"%1\" ne peut pas être lu :\n%2")
                                  .arg(path, status.reason()),
                              {BoxButton::Ok});
            return false;
        }
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

void TfmMain::edDirSrcChange()
{
    m_project.SrcPath = edDirSrc->text();
    showFolderState(edDirSrc);
    m_project.Modified = true;
}

void TfmMain::edDirDestChange()
{
    m_project.DestPath = edDirDest->text();
    showFolderState(edDirDest);
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
    readUserPrefs(iniPath, m_prefs);
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

void TfmMain::RefreshFileList() {}

void TfmMain::ClassifyFileList() {}

void TfmMain::UpdateCommandStates()
{
    const bool idle = !m_Busy;
    for (const char *name : {"ActProjectNew", "ActProjectOpen", "ActProjectSave", "ActAppClose"})
        command(name)->setEnabled(idle);
    for (QWidget *control :
         {static_cast<QWidget *>(edDirSrc), static_cast<QWidget *>(edDirDest),
          static_cast<QWidget *>(cbPathRecursive), static_cast<QWidget *>(urlExtToExclude),
          static_cast<QWidget *>(urlFilesToExclude)})
        control->setEnabled(idle);
}

void TfmMain::ShowSummary() {}

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

void TfmMain::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
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
