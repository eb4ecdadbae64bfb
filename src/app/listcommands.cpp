#include "app/listcommands.h"

#include "app/commandshell.h"
#include "app/fmoptions.h"
#include "app/folderfields.h"
#include "filelist/filelistview.h"
#include "project/project.h"

ListCommands::ListCommands(CommandShell &shell, TProject &project, FolderFields &fields,
                           FileListView &view)
    : m_shell(shell), m_project(project), m_fields(fields), m_view(view)
{}

void ListCommands::ActProjectFilesSelectAllExecute()
{
    m_view.selectAllRows();
    m_shell.UpdateCommandStates();
}

void ListCommands::ActProjectFilesDeselectAllExecute()
{
    m_view.clearRowSelection();
    m_shell.UpdateCommandStates();
}

void ListCommands::ActProjectExtToExcludeExecute()
{
    m_options->showPage(TfmOptions::PageExtensions);
}

void ListCommands::ActProjectFilesToExcludeExecute()
{
    m_options->showPage(TfmOptions::PageFiles);
}

void ListCommands::ExtToExcludeAdd(const QString &extension)
{
    if (extension.isEmpty())
        return;
    if (m_project.ExtensionsToExclude.add(extension))
        m_project.Modified = true;
    ShowExtToExclude();
    m_shell.ClassifyFileList();
}

void ListCommands::FileToExcludeAdd(const QString &relativePath)
{
    if (relativePath.isEmpty())
        return;
    if (m_project.FilesToExclude.add(relativePath))
        m_project.Modified = true;
    ShowFilesToExclude();
    m_shell.ClassifyFileList();
}

void ListCommands::ExtToExcludeDelete(int index, bool classify)
{
    if (m_project.ExtensionsToExclude.removeAt(index))
        m_project.Modified = true;
    ShowExtToExclude();
    if (classify)
        m_shell.ClassifyFileList();
}

void ListCommands::FileToExcludeDelete(int index)
{
    if (m_project.FilesToExclude.removeAt(index))
        m_project.Modified = true;
    ShowFilesToExclude();
    m_shell.ClassifyFileList();
}

void ListCommands::ShowExtToExclude()
{
    m_fields.showExtensionsSummary(extensionsSummary(m_project.ExtensionsToExclude.entries()));
}

void ListCommands::ShowFilesToExclude()
{
    m_fields.showFilesSummary(filesSummary(m_project.FilesToExclude.entries()));
}
