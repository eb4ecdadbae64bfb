#pragma once

#include "datetime/fmdatetime.h"
#include "platform/desktoptools.h"

#include <functional>

class CommandShell;
class Comparison;
class Dialogs;
class FileListView;
class QDialog;
struct TProject;

// The commands beside the comparison: the date and time of the selected files, printing,
// previewing and exporting the list, the readme, the desktop's tools in place of the system's, and
// the About box.
class ToolCommands : private DateTimeHost {
public:
    ToolCommands(CommandShell &shell, Dialogs &dialogs, const TProject &project,
                 Comparison &comparison, FileListView &view, const QString &appDir);
    ToolCommands(const ToolCommands &) = delete;
    ToolCommands &operator=(const ToolCommands &) = delete;

    void ActAppFileSetDateTimeExecute();
    void ActAppPrintPreviewExecute();
    void ActAppPrintExecute();
    // Every row in list order, as CSV, into a file the user chooses.
    void ActAppExportListExecute();
    void ActAppHelpReadmeExecute();
    void ActHelpAboutExecute();
    // The four system tools: the desktop's program when one is installed, else nothing, never
    // a box.
    static void ActWinToolExecute(platform::DesktopTool tool);

    // Shows a modal dialog and gives its result: exec() unless the tests drive the dialog.
    using ModalRunner = std::function<int(QDialog &)>;
    void setModalRunner(ModalRunner runner) { m_runModal = std::move(runner); }
    // The current local date and time, which the tests set.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    QList<DatedFile> selectedFiles(bool source, bool destination) override;
    void refreshFileList() override;
    QDateTime now() override { return m_clock(); }

    CommandShell &m_shell;
    Dialogs &m_dialogs;
    const TProject &m_project;
    Comparison &m_comparison;
    FileListView &m_view;
    const QString &m_appDir;
    ModalRunner m_runModal;
    std::function<QDateTime()> m_clock;
};
