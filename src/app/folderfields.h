#pragma once

#include "sync/pathprobe.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAction;
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
    // The browse buttons at the right end of the fields.
    QAction *edDirSrcButton = nullptr;
    QAction *edDirDestButton = nullptr;

    // Colours the field yellow on red when its text names no folder, and names its volume above
    // it. A folder that does not answer at once reads as an unknown volume, the colours as they
    // were, until its answer comes; the field then shows it if it still holds that text.
    void showSourceState();
    void showDestinationState();
    // Whether the field's text names an existing folder; false when it does not answer at once.
    bool namesFolder(const QLineEdit *field);
    // What is asked of a field's folder, on a thread of its own (tests give a slow double).
    void setFolderQuestion(const PathProbe<FolderFacts>::Question &question);
    // The folder a field's text names (a relative text is the project file's folder's).
    void setFolderOfText(std::function<QString(const QString &)> folderOf)
    {
        m_folderOf = std::move(folderOf);
    }
    void showExtensionsSummary(const QString &text);
    void showFilesSummary(const QString &text);
    // Every control of the panel takes input, or none does (while the list is busy).
    void setEditable(bool editable);

Q_SIGNALS:
    void extensionsSummaryClicked();
    void filesSummaryClicked();

private:
    struct Field {
        QLineEdit *edit = nullptr;
        QLabel *label = nullptr;
        QString side;
        std::unique_ptr<PathProbe<FolderFacts>> probe;
    };
    // Builds the field, its label and its browse button; returns the button.
    QAction *addField(Field &field, const QString &name, const QString &caption,
                      const QString &side);
    void showFolderState(Field &field);
    QString folderOf(const QLineEdit *edit) const;
    static void showFacts(const Field &field, const FolderFacts &facts);

    Field m_source;
    Field m_destination;
    std::function<QString(const QString &)> m_folderOf = [](const QString &text) { return text; };
    LinkLabel *urlExtToExclude = nullptr;
    LinkLabel *urlFilesToExclude = nullptr;
};
