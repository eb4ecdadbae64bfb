#include "app/foldercommands.h"

#include "app/commandshell.h"
#include "app/dialogs.h"
#include "app/folderfields.h"
#include "app/guard.h"
#include "app/projectcommands.h"
#include "platform/paths.h"
#include "project/project.h"
#include "project/userprefs.h"

#include <QAction>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

FolderCommands::FolderCommands(CommandShell &shell, Dialogs &dialogs, TProject &project,
                               const UserPrefs &prefs, FolderFields &fields,
                               ProjectCommands &projects)
    : m_shell(shell), m_dialogs(dialogs), m_project(project), m_prefs(prefs), m_fields(fields),
      m_projects(projects)
{
    for (QLineEdit *field : {m_fields.edDirSrc, m_fields.edDirDest})
        field->installEventFilter(this);
    connect(m_fields.edDirSrcButton, &QAction::triggered, this,
            [this] { guarded([this] { edDirSrcButtonClick(); }); });
    connect(m_fields.edDirDestButton, &QAction::triggered, this,
            [this] { guarded([this] { edDirDestButtonClick(); }); });
    JvFolderMonitorSrc = new QFileSystemWatcher(m_shell.window());
    JvFolderMonitorSrc->setObjectName(QStringLiteral("JvFolderMonitorSrc"));
    connect(JvFolderMonitorSrc, &QFileSystemWatcher::directoryChanged, this,
            [this] { JvFolderMonitorSrcNotifications0Change(); });
}

bool FolderCommands::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (field == nullptr) // a field on its way out
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        guarded([this, field, key] { edDirSrcKeyDown(field, key); });
        return isEnter(key);
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        guarded([this, field] {
            if (field == m_fields.edDirSrc)
                edDirSrcButtonClick();
            else
                edDirDestButtonClick();
        });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void FolderCommands::edDirSrcKeyDown(QLineEdit *sender, int key)
{
    if (isEnter(key)) {
        // A failed folder check throws Abort, which skips the rest.
        m_shell.RefreshFileList();
        m_shell.ShowSummary();
    }
    fieldChange(sender);
}

void FolderCommands::fieldChange(QLineEdit *field)
{
    if (field == m_fields.edDirSrc)
        m_projects.edDirSrcChange();
    else if (field == m_fields.edDirDest)
        m_projects.edDirDestChange();
}

void FolderCommands::edDirSrcButtonClick()
{
    browse(m_fields.edDirSrc, m_fields.edDirDest, QStringLiteral("Répertoire Source..."));
}

void FolderCommands::edDirDestButtonClick()
{
    browse(m_fields.edDirDest, m_fields.edDirSrc, QStringLiteral("Répertoire Destination..."));
}

void FolderCommands::browse(QLineEdit *field, QLineEdit *other, const QString &title)
{
    if (m_fields.namesFolder(field))
        m_browserFolder = field->text();
    const QString chosen = m_dialogs.folderName(m_shell.window(), title, m_browserFolder);
    if (chosen.isEmpty())
        return;
    m_browserFolder = chosen;
    (field == m_fields.edDirSrc ? m_project.SrcPath : m_project.DestPath) = chosen;
    field->setText(chosen);
    edDirSrcKeyDown(nullptr, Qt::Key_Return);
    fieldChange(other);
    m_project.Modified = true;
}

void FolderCommands::ActProjectDirInvertSrcAndDestExecute()
{
    const QString source = m_fields.edDirSrc->text();
    const QString destination = m_fields.edDirDest->text();
    m_fields.edDirSrc->setText(destination);
    m_fields.edDirDest->setText(source);
    m_projects.edDirSrcChange();
    m_projects.edDirDestChange();
    m_shell.RefreshFileList();
    m_shell.ShowSummary();
}

void FolderCommands::ConfigureSourceMonitor()
{
    const QStringList watched = JvFolderMonitorSrc->directories();
    if (!watched.isEmpty())
        JvFolderMonitorSrc->removePaths(watched);
    // The watcher would complain of a folder it cannot watch; such a folder is left unwatched.
    if (m_prefs.FileSpy && platform::isExistingFolder(m_project.SrcPath))
        JvFolderMonitorSrc->addPath(m_project.SrcPath);
}
