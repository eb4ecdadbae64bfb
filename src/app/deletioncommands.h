#pragma once

#include "compare/deletion.h"

class CommandRegistry;
class CommandShell;
class Comparison;
class Dialogs;
class FileListView;
class QAction;
struct TProject;
struct UserPrefs;

// The seven commands that delete the files behind the selected rows, from the source, the
// destination or both, to the trash or for good; each action carries its DeletionCommand as
// its data. Every one ends with a refresh of the list.
class DeletionCommands : private DeletionHost {
public:
    // Sets the data of the seven actions.
    DeletionCommands(CommandShell &shell, CommandRegistry &commands, Dialogs &dialogs,
                     const TProject &project, UserPrefs &prefs, Comparison &comparison,
                     FileListView &view);
    DeletionCommands(const DeletionCommands &) = delete;
    DeletionCommands &operator=(const DeletionCommands &) = delete;

    // The one operation of the seven commands: sender is the action that fired.
    void ActFileDeleteExecute(const QAction &sender);

private:
    bool confirm(const QString &question) override;
    bool goOnAfterError(const QString &text) override;

    CommandShell &m_shell;
    Dialogs &m_dialogs;
    const TProject &m_project;
    UserPrefs &m_prefs;
    Comparison &m_comparison;
    FileListView &m_view;
};
