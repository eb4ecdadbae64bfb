#include "app/deletioncommands.h"

#include "app/commandregistry.h"
#include "app/commandshell.h"
#include "app/dialogs.h"
#include "compare/comparison.h"
#include "filelist/filelistview.h"

#include <QAction>

DeletionCommands::DeletionCommands(CommandShell &shell, CommandRegistry &commands, Dialogs &dialogs,
                                   const TProject &project, UserPrefs &prefs,
                                   Comparison &comparison, FileListView &view)
    : m_shell(shell), m_dialogs(dialogs), m_project(project), m_prefs(prefs),
      m_comparison(comparison), m_view(view)
{
    for (const DeletionCommandEntry &entry : kDeletionCommands)
        commands.action(entry.command)->setData(QVariant::fromValue(entry.choice));
}

void DeletionCommands::ActFileDeleteExecute(const QAction &sender)
{
    // An action without a deletion's data deletes nothing.
    if (sender.data().metaType() != QMetaType::fromType<DeletionCommand>() || m_comparison.busy())
        return;
    const DeletionResult result =
        runDeletion(sender.data().value<DeletionCommand>(), m_comparison.fileList(),
                    m_view.selectedRows(), m_comparison.listedFolders(), m_prefs, *this);
    // Told before the refresh, which a failed folder check may end.
    if (!result.failures.isEmpty())
        m_dialogs.message(m_shell.window(), BoxKind::Warning,
                          deletionFailureReport(result.failures), {BoxButton::Ok});
    m_shell.RefreshFileList(); // which ends with the summary
    m_shell.UpdateCommandStates();
}

bool DeletionCommands::confirm(const QString &question)
{
    return m_dialogs.message(m_shell.window(), BoxKind::Confirmation, question,
                             {BoxButton::Yes, BoxButton::No}, BoxButton::No) == BoxButton::Yes;
}

bool DeletionCommands::goOnAfterError(const QString &text)
{
    return m_dialogs.message(m_shell.window(), BoxKind::Warning, text,
                             {BoxButton::Yes, BoxButton::No}) == BoxButton::Yes;
}
