#include "app/folderfields.h"

#include "app/linklabel.h"
#include "platform/paths.h"
#include "sync/volume.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

FolderFields::FolderFields(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlDir"));
    edDirSrcLabel1 = new QLabel(QStringLiteral("Répertoire source"));
    edDirDestLabel1 = new QLabel(QStringLiteral("Répertoire Destination"));
    edDirSrcLabel1->setObjectName(QStringLiteral("edDirSrcLabel1"));
    edDirDestLabel1->setObjectName(QStringLiteral("edDirDestLabel1"));
    for (QLabel *label : {edDirSrcLabel1, edDirDestLabel1}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    edDirSrc = new QLineEdit;
    edDirSrc->setObjectName(QStringLiteral("edDirSrc"));
    edDirDest = new QLineEdit;
    edDirDest->setObjectName(QStringLiteral("edDirDest"));
    cbPathRecursive = new QCheckBox(QStringLiteral("Inclure sous-répertoires"));
    cbPathRecursive->setObjectName(QStringLiteral("cbPathRecursive"));
    urlExtToExclude = new LinkLabel;
    urlExtToExclude->setObjectName(QStringLiteral("urlExtToExclude"));
    connect(urlExtToExclude, &LinkLabel::clicked, this, &FolderFields::extensionsSummaryClicked);
    urlFilesToExclude = new LinkLabel;
    urlFilesToExclude->setObjectName(QStringLiteral("urlFilesToExclude"));
    connect(urlFilesToExclude, &LinkLabel::clicked, this, &FolderFields::filesSummaryClicked);

    // The 8-pixel margins keep the fields at the panel's width minus 16 as the window resizes.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->addWidget(edDirSrcLabel1, 0, 0, 1, 4);
    grid->addWidget(edDirSrc, 1, 0, 1, 4);
    grid->addWidget(edDirDestLabel1, 2, 0, 1, 4);
    grid->addWidget(edDirDest, 3, 0, 1, 4);
    grid->addWidget(cbPathRecursive, 4, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Extensions à filtrer :")), 5, 0);
    grid->addWidget(urlExtToExclude, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("Fichiers à filtrer :")), 5, 2);
    grid->addWidget(urlFilesToExclude, 5, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

void FolderFields::showFolderState(QLineEdit *field, QLabel *label, const QString &side)
{
    QPalette colours = QApplication::palette(field);
    if (!platform::isExistingFolder(field->text())) {
        colours.setColor(QPalette::Text, Qt::yellow);
        colours.setColor(QPalette::Base, Qt::red);
    }
    field->setPalette(colours);
    const VolumeInfo volume = QueryVolume(field->text());
    label->setText(QStringLiteral("Répertoire %1 (volume \"%2\", %3)")
                       .arg(side, volume.VolumeLabel, MediaTypeName(volume.MediaType)));
}

void FolderFields::showSourceState()
{
    showFolderState(edDirSrc, edDirSrcLabel1, QStringLiteral("Source"));
}

void FolderFields::showDestinationState()
{
    showFolderState(edDirDest, edDirDestLabel1, QStringLiteral("Destination"));
}

void FolderFields::showExtensionsSummary(const QString &text)
{
    urlExtToExclude->setText(text);
}

void FolderFields::showFilesSummary(const QString &text)
{
    urlFilesToExclude->setText(text);
}

void FolderFields::setEditable(bool editable)
{
    for (QWidget *control : std::initializer_list<QWidget *>{edDirSrc, edDirDest, cbPathRecursive,
                                                             urlExtToExclude, urlFilesToExclude})
        control->setEnabled(editable);
}
