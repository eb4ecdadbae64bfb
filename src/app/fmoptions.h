#pragma once

#include <QDialog>

class ExclusionList;
class QAction;
class QCheckBox;
class QListView;
class QRadioButton;
class QTabWidget;
struct UserPrefs;

// The options dialog: the open project's two exclusion lists, and the preferences shared by all
// projects. Created hidden at start-up, shown modeless, never destroyed before the end.
class TfmOptions : public QDialog {
    Q_OBJECT
public:
    enum Page { PageExtensions = 0, PageFiles = 1, PageFileOperations = 2, PageMisc = 3 };

    TfmOptions(ExclusionList &extensions, ExclusionList &files, QWidget *parent);

    // The "Retirer" buttons run these commands of the main window.
    void bindRemoveCommands(QAction *removeExtensions, QAction *removeFiles);

    // Preferences to controls, and back (the apply step reads them).
    void showPrefs(const UserPrefs &prefs);
    void readPrefs(UserPrefs &prefs) const;

    // Makes the page active and shows the dialog, or brings it to the front.
    void showPage(int page);
    void showLastPage();

    // Selected entries of the two list boxes, in ascending order.
    QList<int> selectedExtensionRows() const;
    QList<int> selectedFileRows() const;

Q_SIGNALS:
    // "Appliquer" or "OK": the main window applies the controls to the preferences.
    void applyRequested();

private:
    QWidget *createExclusionPage(const QString &label, ExclusionList &list, QListView **view,
                                 class QToolButton **remove);
    QWidget *createFileOperationsPage();
    QWidget *createMiscPage();

    QTabWidget *PageControl1 = nullptr;
    QListView *lstExtToExclude = nullptr;
    QListView *lstFilesToExclude = nullptr;
    class QToolButton *btnExtToExcludeDelete = nullptr;
    class QToolButton *btnFileToExcludeDelete = nullptr;
    QCheckBox *cbFileDeleteSrc = nullptr;
    QCheckBox *cbFileDeleteDest = nullptr;
    QRadioButton *cbFileDeleteFull = nullptr;
    QRadioButton *cbFileDeleteSendToTrash = nullptr;
    QCheckBox *cbFileSyncReadOnly = nullptr;
    QCheckBox *cbFileCompareCopy = nullptr;
    QCheckBox *cbFileSpy = nullptr;
    QCheckBox *cbAppShowOpenProjectAtStartup = nullptr;
};
