#include "app/listcommands.h"

#include "app/commandshell.h"
#include "app/fmoptions.h"
#include "app/folderfields.h"
#include "compare/comparison.h"
#include "compare/rowedits.h"
#include "filelist/filelistview.h"
#include "platform/paths.h"
#include "project/project.h"

#include <QDesktopServices>
#include <QUrl>

#include <algorithm>

ListCommands::ListCommands(CommandShell &shell, TProject &project, Comparison &comparison,
                           FolderFields &fields, FileListView &view)
    : m_shell(shell), m_project(project), m_comparison(comparison), m_fields(fields), m_view(view)
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

void ListCommands::rowsChanged()
{
    m_shell.ShowSummary();
    m_shell.UpdateCommandStates();
}

void ListCommands::ActProjectFilesToCopyAddExecute()
{
    m_comparison.editRows(addToCopy, m_view.selectedRows());
    if (m_comparison.fileList().count() > 0)
        m_view.setCurrentRow(m_view.fileRowAt(0)); // the first row shown
    rowsChanged();
}

void ListCommands::ActProjectFilesToCopyDeleteExecute()
{
    m_comparison.editRows(removeFromCopy, m_view.selectedRows());
    rowsChanged();
}

void ListCommands::ActProjectFilesInvertSrcAndDestExecute()
{
    m_comparison.editRows(reverseDirection, m_view.selectedRows());
    rowsChanged();
}

void ListCommands::ActProjectFileSetReadOnlyFalseExecute()
{
    clearReadOnlyOfDestinations(m_comparison.fileList(), m_view.selectedRows(),
                                m_comparison.listedFolders().destination);
    m_view.clearCurrentRow();
}

void ListCommands::rvFilesDblClick()
{
    const int current = m_view.currentFileRow();
    const QByteArray document =
        documentToOpen(m_comparison.fileList(), current, m_comparison.listedFolders().source);
    if (!document.isEmpty())
        QDesktopServices::openUrl(platform::localFileUrl(document));
}

// Several selected rows give one classification, not one each: a pass per row would take
// minutes over a large selection, and the rows would end the same.
void ListCommands::ActProjectExtToExcludeAddExecute()
{
    bool modified = false;
    const int given = excludeExtensionsOfRows(
        m_project.ExtensionsToExclude, m_comparison.fileList(), m_view.selectedRows(), modified);
    m_project.Modified = m_project.Modified || modified;
    if (given > 0) {
        ShowExtToExclude();
        m_shell.ClassifyFileList();
    }
    m_view.scrollToTop();
    m_view.clearCurrentRow();
}

void ListCommands::ActProjectFileToExcludeAddExecute()
{
    bool modified = false;
    const int given = excludeFilesOfRows(m_project.FilesToExclude, m_comparison.fileList(),
                                         m_view.selectedRows(), modified);
    m_project.Modified = m_project.Modified || modified;
    if (given > 0) {
        ShowFilesToExclude();
        m_shell.ClassifyFileList();
    }
    m_view.scrollToTop();
    m_view.clearCurrentRow();
}

void ListCommands::ActProjectExtToExcludeDeleteExecute()
{
    QList<int> selected = m_options->selectedExtensionRows();
    std::sort(selected.rbegin(), selected.rend());
    for (const int index : std::as_const(selected))
        ExtToExcludeDelete(index, false);
    if (!selected.isEmpty())
        m_shell.ClassifyFileList();
}

void ListCommands::ActProjectFileToExcludeDeleteExecute()
{
    QList<int> selected = m_options->selectedFileRows();
    std::sort(selected.rbegin(), selected.rend());
    for (const int index : std::as_const(selected))
        FileToExcludeDelete(index, false);
    if (!selected.isEmpty())
        m_shell.ClassifyFileList();
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

void ListCommands::FileToExcludeDelete(int index, bool classify)
{
    if (m_project.FilesToExclude.removeAt(index))
        m_project.Modified = true;
    ShowFilesToExclude();
    if (classify)
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
