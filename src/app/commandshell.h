#pragma once

class QWidget;

// What a command unit asks of the main window and, through it, of the other units: the
// operations that several groups of commands share.
class CommandShell {
public:
    virtual ~CommandShell() = default;

    // The window, parent of every box and dialog.
    virtual QWidget *window() = 0;
    virtual void UpdateCommandStates() = 0;
    virtual void ShowSummary() = 0;
    // Ends with the summary shown, or throws Abort after a failed folder check.
    virtual void RefreshFileList() = 0;
    virtual void ClassifyFileList() = 0;
    // The project's folders may have changed in the fields: the list may no longer be theirs.
    virtual void FoldersChanged() = 0;
    virtual void ShowExtToExclude() = 0;
    virtual void ShowFilesToExclude() = 0;
};
