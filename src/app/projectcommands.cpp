#include "app/projectcommands.h"

#include "app/busycursor.h"
#include "app/commandshell.h"
#include "app/dialogs.h"
#include "app/folderfields.h"
#include "app/guard.h"
#include "app/recentprojects.h"
#include "compare/abort.h"
#include "compare/filelist.h"
#include "platform/appinfo.h"
#include "platform/paths.h"
#include "project/project.h"
#include "project/projectlifecycle.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>

namespace {

const QString kProjectFilter = QStringLiteral("Projet Tandrimo (*.tdm)");
const QString kProjectSuffix = QStringLiteral("tdm");

} // namespace

ProjectCommands::ProjectCommands(CommandShell &shell, Dialogs &dialogs, TProject &project,
                                 FileList &rows, FolderFields &fields, const QString &appDir)
    : m_shell(shell), m_dialogs(dialogs), m_project(project), m_rows(rows), m_fields(fields),
      m_appDir(appDir)
{}

void ProjectCommands::ProjectSetFileName(const QString &path)
{
    m_project.FileName = path;
    m_shell.window()->setWindowTitle(projectCaption(m_project));
    m_project.Modified = false;
}

void ProjectCommands::ProjectFieldEvents(bool attach)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_fieldConnections))
        QObject::disconnect(connection);
    m_fieldConnections.clear();
    if (!attach)
        return;
    QWidget *window = m_shell.window();
    m_fieldConnections = {
        QObject::connect(m_fields.edDirSrc, &QLineEdit::textChanged, window,
                         [this] { guarded([this] { edDirSrcChange(); }); }),
        QObject::connect(m_fields.edDirDest, &QLineEdit::textChanged, window,
                         [this] { guarded([this] { edDirDestChange(); }); }),
        QObject::connect(m_fields.cbPathRecursive, &QCheckBox::clicked, window,
                         [this] { guarded([this] { cbPathRecursiveClick(); }); }),
    };
}

void ProjectCommands::ProjectNew()
{
    ProjectFieldEvents(false);
    newProject(m_project);
    ProjectSetFileName(QString());
    m_fields.cbPathRecursive->setChecked(false);
    m_fields.edDirSrc->setText(m_project.SrcPath);
    m_fields.edDirDest->setText(m_project.DestPath);
    showFolderStates();
    m_rows.clear();
    m_shell.ShowExtToExclude();
    m_shell.ShowFilesToExclude();
    m_shell.UpdateCommandStates();
    m_shell.ShowSummary();
    m_project.Modified = false;
    ProjectFieldEvents(true);
}

bool ProjectCommands::ProjectLoad(const QString &path)
{
    ProjectFileRead read;
    {
        BusyCursor busy;
        read = openProject(m_project, path);
    }
    if (!read.ok()) {
        m_dialogs.message(m_shell.window(), read.noFile() ? BoxKind::Information : BoxKind::Error,
                          projectReadRefusal(path, read), {BoxButton::Ok});
        return false;
    }
    ProjectShowInFields();
    ProjectSetFileName(path);
    if (m_recent != nullptr)
        m_recent->AddItem(path);
    m_shell.UpdateCommandStates();
    m_shell.ShowSummary();
    // Said before the refresh, whose folder check then stops on a missing folder.
    if (!read.missingKeys.isEmpty()) {
        m_dialogs.message(m_shell.window(), BoxKind::Warning, projectIncompleteWarning(path, read),
                          {BoxButton::Ok});
    }
    m_shell.RefreshFileList();
    return true;
}

bool ProjectCommands::ProjectSaveTo(const QString &path)
{
    const platform::IoStatus status = saveProject(m_project, path);
    if (!status.ok()) {
        // The file is replaced in one step, so a failure leaves it as it was; the project keeps
        // its name and its modified state, and the command that asked for the save stops.
        m_dialogs.message(m_shell.window(), BoxKind::Error,
                          QStringLiteral("Le projet n'a pas pu être enregistré dans le fichier "
                                         "\"%1\" :\n%2")
                              .arg(path, status.reason()),
                          {BoxButton::Ok});
        throw Abort();
    }
    ProjectSetFileName(path);
    if (m_recent != nullptr)
        m_recent->AddItem(path);
    return true;
}

void ProjectCommands::ProjectShowInFields()
{
    BusyCursor busy;
    ProjectFieldEvents(false);
    m_fields.edDirSrc->setText(m_project.SrcPath);
    m_fields.edDirDest->setText(m_project.DestPath);
    showFolderStates();
    m_fields.cbPathRecursive->setChecked(m_project.PathRecursive);
    m_shell.ShowExtToExclude();
    m_shell.ShowFilesToExclude();
    ProjectFieldEvents(true);
}

void ProjectCommands::showFolderStates()
{
    m_fields.showSourceState();
    m_fields.showDestinationState();
}

void ProjectCommands::ProjectQuerySave()
{
    if (!m_project.Modified)
        return;
    const BoxButton answer =
        m_dialogs.message(m_shell.window(), BoxKind::Confirmation,
                          QStringLiteral("Projet en cours modifié. Le sauvegarder ?"),
                          {BoxButton::Yes, BoxButton::No, BoxButton::Cancel});
    if (answer == BoxButton::Yes)
        ActProjectSaveExecute();
    else if (answer != BoxButton::No)
        throw Abort();
}

void ProjectCommands::edDirSrcChange()
{
    m_project.SrcPath = m_fields.edDirSrc->text();
    m_fields.showSourceState();
    m_project.Modified = true;
    m_shell.FoldersChanged();
}

void ProjectCommands::edDirDestChange()
{
    m_project.DestPath = m_fields.edDirDest->text();
    m_fields.showDestinationState();
    m_project.Modified = true;
    m_shell.FoldersChanged();
}

void ProjectCommands::cbPathRecursiveClick()
{
    m_project.PathRecursive = m_fields.cbPathRecursive->isChecked();
    m_project.Modified = true;
    m_shell.FoldersChanged();
    m_shell.RefreshFileList();
}

void ProjectCommands::ActProjectNewExecute()
{
    ProjectQuerySave();
    ProjectNew();
}

void ProjectCommands::ActProjectOpenExecute()
{
    ProjectQuerySave();
    const QString path = m_dialogs.openFileName(
        m_shell.window(), platform::userFilesFolder(m_appDir), kProjectFilter);
    if (!path.isEmpty())
        ProjectLoad(path);
}

void ProjectCommands::ActProjectSaveExecute()
{
    if (platform::isExistingFile(m_project.FileName))
        ProjectSaveTo(m_project.FileName);
    else
        ActProjectSaveAsExecute();
}

void ProjectCommands::ActProjectSaveAsExecute()
{
    const QString path = m_dialogs.saveFileName(
        m_shell.window(), platform::userFilesFolder(m_appDir), kProjectFilter, kProjectSuffix);
    if (!path.isEmpty())
        ProjectSaveTo(path);
}
