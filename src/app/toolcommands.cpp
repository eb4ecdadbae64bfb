#include "app/toolcommands.h"

#include "app/commandshell.h"
#include "app/dialogs.h"
#include "app/fmabout.h"
#include "compare/comparison.h"
#include "compare/csvexport.h"
#include "filelist/filelistprinter.h"
#include "filelist/filelistview.h"
#include "platform/appinfo.h"
#include "project/project.h"

#include <QDesktopServices>
#include <QLocale>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QUrl>

ToolCommands::ToolCommands(CommandShell &shell, Dialogs &dialogs, const TProject &project,
                           Comparison &comparison, FileListView &view, const QString &appDir)
    : m_shell(shell), m_dialogs(dialogs), m_project(project), m_comparison(comparison),
      m_view(view), m_appDir(appDir), m_runModal([](QDialog &dialog) { return dialog.exec(); }),
      m_clock([] { return QDateTime::currentDateTime(); })
{}

void ToolCommands::ActAppFileSetDateTimeExecute()
{
    if (m_comparison.fileList().count() == 0 || m_view.selectedCount() == 0)
        return;
    // Refreshing after a change is offered where it is quick: without sub-folders.
    TfmDateTime dialog(*this, !m_comparison.listedFolders().recursive, m_shell.window());
    dialog.FillDateTimeList();
    m_runModal(dialog);
}

QList<DatedFile> ToolCommands::selectedFiles(bool source, bool destination)
{
    const FoldersOfList folders = m_comparison.listedFolders();
    return filesToDate(m_comparison.fileList(), m_view.selectedRows(), folders.source,
                       folders.destination, source, destination);
}

void ToolCommands::refreshFileList()
{
    m_shell.RefreshFileList(); // which ends with the summary
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

void ToolCommands::ActAppExportListExecute()
{
    const QString path =
        m_dialogs.saveFileName(m_shell.window(), platform::userFilesFolder(m_appDir),
                               QStringLiteral("Fichiers CSV (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    const platform::IoStatus status =
        exportFileListCsv(path, m_comparison.fileList(), csvSeparator(QLocale()));
    if (!status.ok()) {
        m_dialogs.message(m_shell.window(), BoxKind::Error,
                          QStringLiteral("La liste n'a pas pu être exportée dans le fichier "
                                         "\"%1\" :\n%2")
                              .arg(path, status.reason()),
                          {BoxButton::Ok});
    }
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
