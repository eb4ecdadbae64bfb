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

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

// Whether the field takes the key as its own editing (a word move, select all, paste), as it
// claims such keys ahead of the window's shortcuts: asked of the field itself, not through the
// application, which would try the key as a shortcut.
bool isEditingKeyOf(QLineEdit *field, const QKeyEvent &key)
{
    QKeyEvent claim(QEvent::ShortcutOverride, key.key(), key.modifiers(), key.text(),
                    key.isAutoRepeat(), ushort(key.count()));
    claim.ignore();
    static_cast<QObject *>(field)->event(&claim);
    return claim.isAccepted();
}

// A key typed into the field, which marks the project modified as every key pressed in a field
// does, navigation keys included. A modifier pressed alone types nothing. A key held with Ctrl,
// Alt or Meta is the window's (a command's shortcut, or nothing) unless the field takes it as its
// own editing; so Ctrl+O right after start-up opens without asking to save an untouched project.
bool isTypedInto(QLineEdit *field, const QKeyEvent &key)
{
    if (isModifierKey(key.key()))
        return false;
    constexpr Qt::KeyboardModifiers kCommandModifiers =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return (key.modifiers() & kCommandModifiers) == 0 || isEditingKeyOf(field, key);
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
        const auto &pressed = *static_cast<QKeyEvent *>(event);
        const int key = pressed.key();
        if (!isEnter(key) && !isTypedInto(field, pressed))
            return false;
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
        // It ends with the summary; a failed folder check throws Abort, which skips the rest.
        m_shell.RefreshFileList();
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
