#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class LinkLabel;

// The panel above the list (pnlDir): the source and destination folder fields with their
// volume labels, the sub-folder check box, and the summaries of the two exclusion lists, whose
// clicks open the options dialog.
class FolderFields : public QWidget {
    Q_OBJECT
public:
    explicit FolderFields(QWidget *parent = nullptr);

    QLineEdit *edDirSrc = nullptr;
    QLineEdit *edDirDest = nullptr;
    QCheckBox *cbPathRecursive = nullptr;

    // Colours the field red when its text names no folder, and names its volume above it.
    void showSourceState();
    void showDestinationState();
    void showExtensionsSummary(const QString &text);
    void showFilesSummary(const QString &text);
    // Every control of the panel takes input, or none does (while the list is busy).
    void setEditable(bool editable);

Q_SIGNALS:
    void extensionsSummaryClicked();
    void filesSummaryClicked();

private:
    static void showFolderState(QLineEdit *field, QLabel *label, const QString &side);

    QLabel *edDirSrcLabel1 = nullptr;
    QLabel *edDirDestLabel1 = nullptr;
    LinkLabel *urlExtToExclude = nullptr;
    LinkLabel *urlFilesToExclude = nullptr;
};
