#include "app/toolcommands.h"

#include "app/commandshell.h"
#include "app/fmabout.h"
#include "compare/comparison.h"
#include "filelist/filelistprinter.h"
#include "filelist/filelistview.h"
#include "project/project.h"

#include <QDesktopServices>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QUrl>

ToolCommands::ToolCommands(CommandShell &shell, const TProject &project, Comparison &comparison,
                           FileListView &view)
    : m_shell(shell), m_project(project), m_comparison(comparison), m_view(view),
      m_runModal([](QDialog &dialog) { return dialog.exec(); }),
      m_clock([] { return QDateTime::currentDateTime(); })
{}

void ToolCommands::ActAppFileSetDateTimeExecute()
{
    if (m_comparison.fileList().count() == 0 || m_view.selectedCount() == 0)
        return;
    // Refreshing after a change is offered where it is quick: without sub-folders.
    TfmDateTime dialog(*this, !m_project.PathRecursive, m_shell.window());
    dialog.FillDateTimeList();
    m_runModal(dialog);
}

QList<DatedFile> ToolCommands::selectedFiles(bool source, bool destination)
{
    return filesToDate(m_comparison.fileList(), m_view.selectedRows(), m_project.SrcPath,
                       m_project.DestPath, source, destination);
}

void ToolCommands::refreshFileList()
{
    m_shell.RefreshFileList();
    m_shell.ShowSummary();
}

// Every row, in the order the list shows them, whatever the selection.
void ToolCommands::ActAppPrintPreviewExecute()
{
    QPrinter printer(QPrinter::HighResolution);
    FileListPrinter::setUp(printer);
    const FileListPrinter layout(*m_view.model());
    QPrintPreviewDialog preview(&printer, m_shell.window());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&layout](QPrinter *target) { layout.print(target); });
    m_runModal(preview);
}

void ToolCommands::ActAppPrintExecute()
{
    QPrinter printer(QPrinter::HighResolution);
    FileListPrinter::setUp(printer);
    QPrintDialog dialog(&printer, m_shell.window());
    if (m_runModal(dialog) == QDialog::Accepted)
        FileListPrinter(*m_view.model()).print(&printer);
}

// A missing readme opens nothing and says nothing.
void ToolCommands::ActAppHelpReadmeExecute()
{
    const QString readme = platform::readmeFile();
    if (!readme.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(readme));
}

void ToolCommands::ActHelpAboutExecute()
{
    TfmAbout about(m_shell.window());
    m_runModal(about);
}

void ToolCommands::ActWinToolExecute(platform::DesktopTool tool)
{
    platform::startDesktopTool(tool);
}
