#pragma once

#include "compare/filedates.h"

#include <QDialog>

class ClockFace;
class QCalendarWidget;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimeEdit;

// What the date and time dialog asks of the main window.
class DateTimeHost {
public:
    virtual ~DateTimeHost() = default;
    // The existing files of the rows selected in the main list at this moment.
    virtual QList<DatedFile> selectedFiles(bool source, bool destination) = 0;
    virtual void refreshFileList() = 0;
    // The current local date and time.
    virtual QDateTime now() = 0;
};

// "Spécification Date et Heure": lists the files of the selected rows, and sets their last
// modification and last access times to the date and time chosen, each file's path turning
// green when its file system stored exactly that time and red when not.
class TfmDateTime : public QDialog {
    Q_OBJECT
public:
    // refreshAfterChange: the initial state of "Raffraichir la liste...".
    TfmDateTime(DateTimeHost &host, bool refreshAfterChange, QWidget *parent = nullptr);

    void FillDateTimeList();
    void btnApplyClick();

private:
    void createWidgets();
    QWidget *createTimesPanel();
    void cbSrcClick();
    void updateApply();
    void setRowState(int row, DateRowState state, const QString &reason);

    DateTimeHost &m_host;
    QList<DatedFile> m_files;

    QTableWidget *lstFiles = nullptr;
    QCheckBox *cbSrc = nullptr;
    QCheckBox *cbDest = nullptr;
    QLabel *lblFilesCount = nullptr;
    QCalendarWidget *DTDate = nullptr;
    QTimeEdit *edTime = nullptr;
    ClockFace *DTTime = nullptr;
    QCheckBox *cbCreation = nullptr;
    QCheckBox *cbLastWrite = nullptr;
    QCheckBox *cbLastAccess = nullptr;
    QCheckBox *cbDateTimeUseLocal = nullptr;
    QCheckBox *cbRefreshAfterDTChange = nullptr;
    QLabel *lblWritten = nullptr;
    QPushButton *btnApply = nullptr;
};
