#pragma once

#include <QString>

class CommandShell;
class Comparison;
class FileListView;
class FolderFields;
class TfmOptions;
struct TProject;

// The commands on the list: the selection, the row commands (add to the copy, remove from it,
// reverse the direction, remove the read-only attribute, open a file), and the project's two
// exclusion lists with their summaries and their pages of the options dialog.
class ListCommands {
public:
    ListCommands(CommandShell &shell, TProject &project, Comparison &comparison,
                 FolderFields &fields, FileListView &view);
    ListCommands(const ListCommands &) = delete;
    ListCommands &operator=(const ListCommands &) = delete;

    // The options dialog exists once start-up has created it.
    void setOptions(TfmOptions *options) { m_options = options; }

    void ActProjectFilesSelectAllExecute();
    void ActProjectFilesDeselectAllExecute();
    void ActProjectFilesToCopyAddExecute();
    void ActProjectFilesToCopyDeleteExecute();
    void ActProjectFilesInvertSrcAndDestExecute();
    void ActProjectFileSetReadOnlyFalseExecute();
    // Opens the current row's source file in the program the desktop associates with it.
    void rvFilesDblClick();

    void ActProjectExtToExcludeAddExecute();
    void ActProjectFileToExcludeAddExecute();
    void ActProjectExtToExcludeDeleteExecute();
    void ActProjectFileToExcludeDeleteExecute();
    void ActProjectExtToExcludeExecute();
    void ActProjectFilesToExcludeExecute();

    // Each change of a list marks the project modified and classifies the rows again.
    void ExtToExcludeAdd(const QString &extension);
    void FileToExcludeAdd(const QString &relativePath);
    void ExtToExcludeDelete(int index, bool classify);
    void FileToExcludeDelete(int index, bool classify = true);
    void ShowExtToExclude();
    void ShowFilesToExclude();

private:
    // After a row command: the summary, then the command states.
    void rowsChanged();

    CommandShell &m_shell;
    TProject &m_project;
    Comparison &m_comparison;
    FolderFields &m_fields;
    FileListView &m_view;
    TfmOptions *m_options = nullptr;
};
