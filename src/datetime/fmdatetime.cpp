#include "datetime/fmdatetime.h"

#include "app/busycursor.h"
#include "app/guard.h"
#include "datetime/clockface.h"
#include "filelist/filelistdelegate.h"
#include "filelist/statusstyle.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

QCheckBox *checkBox(const char *name, const QString &caption, bool ticked)
{
    auto *box = new QCheckBox(caption);
    box->setObjectName(QLatin1String(name));
    box->setChecked(ticked);
    return box;
}

QString filesCountText(qsizetype count)
{
    return QStringLiteral("%1 fichier(s)").arg(count);
}

QString dateTimeText(const QDateTime &when)
{
    return QLocale().toString(when.date(), QLocale::ShortFormat) + u' ' +
           when.time().toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

TfmDateTime::TfmDateTime(DateTimeHost &host, bool refreshAfterChange, QWidget *parent)
    : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("fmDateTime"));
    setWindowTitle(QStringLiteral("Spécification Date et Heure"));
    createWidgets();
    cbRefreshAfterDTChange->setChecked(refreshAfterChange);
    // FormCreate: today, at one in the morning.
    DTDate->setSelectedDate(m_host.now().date());
    edTime->setTime(QTime(1, 0));
    DTTime->setTime(QTime(1, 0));
    setFixedSize(sizeHint().expandedTo(QSize(545, 409)));
}

void TfmDateTime::createWidgets()
{
    lstFiles = new QTableWidget(0, 2);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setHorizontalHeaderLabels({QString(), QStringLiteral("Fichiers")});
    lstFiles->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lstFiles->horizontalHeader()->setStretchLastSection(true);
    lstFiles->verticalHeader()->hide();
    lstFiles->verticalHeader()->setDefaultSectionSize(lstFiles->fontMetrics().height() + 4);
    lstFiles->setColumnWidth(0, 24);
    lstFiles->setColumnWidth(1, 300);
    lstFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstFiles->setShowGrid(false);
    lstFiles->setWordWrap(false);
    lstFiles->setTextElideMode(Qt::ElideRight);
    lstFiles->setItemDelegate(new FileListDelegate(lstFiles));

    cbSrc = checkBox("cbSrc", QStringLiteral("Source"), true);
    cbDest = checkBox("cbDest", QStringLiteral("Destination"), false);
    lblFilesCount = new QLabel(filesCountText(0));
    lblFilesCount->setObjectName(QStringLiteral("lblFilesCount"));
    for (QCheckBox *box : {cbSrc, cbDest})
        connect(box, &QCheckBox::clicked, this, [this] { guarded([this] { cbSrcClick(); }); });
    auto *filesRow = new QHBoxLayout;
    filesRow->addWidget(new QLabel(QStringLiteral("Appliquer aux fichiers :")));
    filesRow->addWidget(cbSrc);
    filesRow->addWidget(cbDest);
    filesRow->addStretch();
    filesRow->addWidget(lblFilesCount);

    cbRefreshAfterDTChange = checkBox(
        "cbRefreshAfterDTChange",
        QStringLiteral("Raffraichir la liste de la fenêtre principale après modification"), false);
    lblWritten = new QLabel;
    lblWritten->setObjectName(QStringLiteral("lblWritten"));
    lblWritten->setWordWrap(true);
    btnApply = new QPushButton(QStringLiteral("Appliquer"));
    btnApply->setObjectName(QStringLiteral("btnApply"));
    connect(btnApply, &QPushButton::clicked, this,
            [this] { guarded([this] { btnApplyClick(); }); });
    auto *btnClose = new QPushButton(QStringLiteral("Fermer"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblWritten, 1);
    buttons->addWidget(btnApply);
    buttons->addWidget(btnClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Liste des fichiers dont la date et l'heure doivent être "
                                  "modifiées")));
    layout->addWidget(lstFiles, 1);
    layout->addLayout(filesRow);
    layout->addWidget(createTimesPanel());
    layout->addWidget(cbRefreshAfterDTChange);
    layout->addLayout(buttons);
}

QWidget *TfmDateTime::createTimesPanel()
{
    DTDate = new QCalendarWidget;
    DTDate->setObjectName(QStringLiteral("DTDate"));
    DTDate->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    edTime = new QTimeEdit;
    edTime->setObjectName(QStringLiteral("edTime"));
    edTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    DTTime = new ClockFace;
    DTTime->setObjectName(QStringLiteral("DTTime"));
    connect(edTime, &QTimeEdit::timeChanged, DTTime, &ClockFace::setTime);

    cbCreation = checkBox("cbCreation", QStringLiteral("Création"), false);
    cbCreation->setEnabled(false);
    cbCreation->setToolTip(QStringLiteral("Ce système ne permet pas de modifier la date de "
                                          "création d'un fichier."));
    cbLastWrite = checkBox("cbLastWrite", QStringLiteral("Dernière modification"), true);
    cbLastAccess = checkBox("cbLastAccess", QStringLiteral("Dernier accès"), true);
    for (QCheckBox *box : {cbLastWrite, cbLastAccess})
        connect(box, &QCheckBox::toggled, this, &TfmDateTime::updateApply);
    cbDateTimeUseLocal =
        checkBox("cbDateTimeUseLocal", QStringLiteral("Tenir compte de l'heure locale"), true);

    auto *date = new QVBoxLayout;
    date->addWidget(new QLabel(QStringLiteral("Date à appliquer")));
    date->addWidget(DTDate);
    date->addStretch();
    auto *time = new QVBoxLayout;
    time->addWidget(new QLabel(QStringLiteral("Heure à appliquer")));
    time->addWidget(edTime);
    time->addWidget(DTTime, 0, Qt::AlignHCenter);
    time->addStretch();
    auto *which = new QVBoxLayout;
    which->addWidget(new QLabel(QStringLiteral("Appliquer à Date/Heure de :")));
    for (QCheckBox *box : {cbCreation, cbLastWrite, cbLastAccess})
        which->addWidget(box);
    which->addSpacing(12);
    which->addWidget(cbDateTimeUseLocal);
    which->addStretch();
    auto *panel = new QWidget;
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(date);
    row->addLayout(time);
    row->addLayout(which);
    return panel;
}

void TfmDateTime::FillDateTimeList()
{
    m_files = m_host.selectedFiles(cbSrc->isChecked(), cbDest->isChecked());
    lstFiles->clearContents();
    lstFiles->setRowCount(int(m_files.size()));
    for (int row = 0; row < m_files.size(); ++row) {
        lstFiles->setItem(row, 0, new QTableWidgetItem);
        lstFiles->setItem(row, 1, new QTableWidgetItem(m_files[row].text()));
        setRowState(row, DateRowPending, QString());
    }
    lblFilesCount->setText(filesCountText(m_files.size()));
}

void TfmDateTime::cbSrcClick()
{
    updateApply();
    if (cbSrc->isChecked() || cbDest->isChecked()) {
        FillDateTimeList();
        return;
    }
    m_files.clear();
    lstFiles->setRowCount(0);
    lblFilesCount->setText(filesCountText(0));
}

// Apply needs files to take the times and a time to set.
void TfmDateTime::updateApply()
{
    btnApply->setEnabled((cbSrc->isChecked() || cbDest->isChecked()) &&
                         (cbLastWrite->isChecked() || cbLastAccess->isChecked()));
}

void TfmDateTime::setRowState(int row, DateRowState state, const QString &reason)
{
    lstFiles->item(row, 0)->setText(QString::number(int(state)));
    QTableWidgetItem *path = lstFiles->item(row, 1);
    path->setForeground(dateRowColour(state));
    path->setToolTip(reason.isEmpty() ? path->text() : path->text() + u"\n" + reason);
}

void TfmDateTime::btnApplyClick()
{
    // The calendar's date and the field's time, to the second, never through their texts.
    const QDate date = DTDate->selectedDate();
    const QTime time =
        QTime(edTime->time().hour(), edTime->time().minute(), edTime->time().second());
    const bool local = cbDateTimeUseLocal->isChecked();
    const QDateTime when = local ? LocalToUtc(date, time) : QDateTime(date, time, Qt::UTC);
    if (!when.isValid())
        return;
    const TimesToSet times{cbCreation->isChecked(), cbLastWrite->isChecked(),
                           cbLastAccess->isChecked()};
    {
        BusyCursor busy;
        for (int row = 0; row < m_files.size(); ++row) {
            const DateSetOutcome outcome = SetFileTimes(m_files[row], when, times);
            setRowState(row, outcome.done ? DateRowDone : DateRowFailed, outcome.reason);
        }
    }
    QString written = QStringLiteral("Heure écrite : %1 UTC").arg(dateTimeText(when));
    if (local)
        written += QStringLiteral(" (%1 heure locale)").arg(dateTimeText(when.toLocalTime()));
    lblWritten->setText(written);
    if (cbRefreshAfterDTChange->isChecked())
        m_host.refreshFileList();
}
