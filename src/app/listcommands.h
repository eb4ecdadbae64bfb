#pragma once

#include <QString>

class CommandShell;
class FileListView;
class FolderFields;
class TfmOptions;
struct TProject;

// The commands on the list: the selection, and the project's two exclusion lists with their
// summaries and their pages of the options dialog.
class ListCommands {
public:
    ListCommands(CommandShell &shell, TProject &project, FolderFields &fields, FileListView &view);
    ListCommands(const ListCommands &) = delete;
    ListCommands &operator=(const ListCommands &) = delete;

    // The options dialog exists once start-up has created it.
    void setOptions(TfmOptions *options) { m_options = options; }

    void ActProjectFilesSelectAllExecute();
    void ActProjectFilesDeselectAllExecute();
    void ActProjectExtToExcludeExecute();
    void ActProjectFilesToExcludeExecute();

    // Each change of a list marks the project modified and classifies the rows again.
    void ExtToExcludeAdd(const QString &extension);
    void FileToExcludeAdd(const QString &relativePath);
    void ExtToExcludeDelete(int index, bool classify);
    void FileToExcludeDelete(int index);
    void ShowExtToExclude();
    void ShowFilesToExclude();

private:
    CommandShell &m_shell;
    TProject &m_project;
    FolderFields &m_fields;
    FileListView &m_view;
    TfmOptions *m_options = nullptr;
};
