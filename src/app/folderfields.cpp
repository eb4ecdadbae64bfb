#include "app/folderfields.h"

#include "app/linklabel.h"
#include "sync/volume.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

namespace {

// Long enough for a local folder, short enough that typing never stalls on a folder that does
// not answer.
constexpr std::chrono::milliseconds kFolderWait{40};

QString volumeCaption(const QString &side, const VolumeInfo &volume)
{
    return QStringLiteral("Répertoire %1 (volume \"%2\", %3)")
        .arg(side, volume.VolumeLabel, MediaTypeName(volume.MediaType));
}

} // namespace

FolderFields::FolderFields(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlDir"));
    edDirSrcButton = addField(m_source, QStringLiteral("edDirSrc"),
                              QStringLiteral("Répertoire source"), QStringLiteral("Source"));
    edDirDestButton =
        addField(m_destination, QStringLiteral("edDirDest"),
                 QStringLiteral("Répertoire Destination"), QStringLiteral("Destination"));
    edDirSrc = m_source.edit;
    edDirDest = m_destination.edit;
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
    grid->addWidget(m_source.label, 0, 0, 1, 4);
    grid->addWidget(edDirSrc, 1, 0, 1, 4);
    grid->addWidget(m_destination.label, 2, 0, 1, 4);
    grid->addWidget(edDirDest, 3, 0, 1, 4);
    grid->addWidget(cbPathRecursive, 4, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Extensions à filtrer :")), 5, 0);
    grid->addWidget(urlExtToExclude, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("Fichiers à filtrer :")), 5, 2);
    grid->addWidget(urlFilesToExclude, 5, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

QAction *FolderFields::addField(Field &field, const QString &name, const QString &caption,
                                const QString &side)
{
    field.side = side;
    field.label = new QLabel(caption);
    field.label->setObjectName(name + u"Label1");
    QFont bold = field.label->font();
    bold.setBold(true);
    field.label->setFont(bold);
    field.edit = new QLineEdit;
    field.edit->setObjectName(name);
    QAction *button = field.edit->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                            QLineEdit::TrailingPosition);
    button->setObjectName(name + u"Button");
    button->setToolTip(QStringLiteral("Parcourir..."));
    field.probe = std::make_unique<PathProbe<FolderFacts>>(
        this, folderFactsOf, [this, &field](const QString &path, const FolderFacts &facts) {
            if (folderOf(field.edit) == path)
                showFacts(field, facts);
        });
    return button;
}

QString FolderFields::folderOf(const QLineEdit *edit) const
{
    return m_folderOf(edit->text());
}

void FolderFields::showFolderState(Field &field)
{
    if (const auto facts = field.probe->ask(folderOf(field.edit), kFolderWait))
        showFacts(field, *facts);
    else
        field.label->setText(
            volumeCaption(field.side, VolumeInfo{platform::DriveType::Unknown, QString(), 0}));
}

void FolderFields::showFacts(const Field &field, const FolderFacts &facts)
{
    // A disabled field keeps the grey of the disabled palette.
    QPalette colours = QApplication::palette(field.edit);
    if (!facts.exists) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            colours.setColor(group, QPalette::Text, Qt::yellow);
            colours.setColor(group, QPalette::Base, Qt::red);
        }
    }
    field.edit->setPalette(colours);
    field.label->setText(volumeCaption(field.side, facts.volume));
}

void FolderFields::showSourceState()
{
    showFolderState(m_source);
}

void FolderFields::showDestinationState()
{
    showFolderState(m_destination);
}

bool FolderFields::namesFolder(const QLineEdit *field)
{
    Field &asked = field == edDirSrc ? m_source : m_destination;
    const auto facts = asked.probe->ask(folderOf(field), kFolderWait);
    return facts && facts->exists;
}

void FolderFields::setFolderQuestion(const PathProbe<FolderFacts>::Question &question)
{
    m_source.probe->setQuestion(question);
    m_destination.probe->setQuestion(question);
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
