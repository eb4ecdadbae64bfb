#include "app/fmoptions.h"

#include "app/exclusionlistmodel.h"
#include "project/userprefs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel *boldLabel(const QString &text)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QList<int> selectedRows(const QListView *view)
{
    QList<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

TfmOptions::TfmOptions(ExclusionList &extensions, ExclusionList &files, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    PageControl1 = named(new QTabWidget, "PageControl1");
    // Every caption whole: the tab bar then asks for the width of all its tabs.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    PageControl1->addTab(
        createExclusionPage(QStringLiteral("Liste des extensions de fichier à exclure"), extensions,
                            &lstExtToExclude, &btnExtToExcludeDelete),
        QStringLiteral("Extensions à exclure"));
    PageControl1->addTab(createExclusionPage(QStringLiteral("Liste des fichiers à exclure"), files,
                                             &lstFilesToExclude, &btnFileToExcludeDelete),
                         QStringLiteral("Fichiers à exclure"));
    PageControl1->addTab(createFileOperationsPage(), QStringLiteral("Opérations sur les fichiers"));
    PageControl1->addTab(createMiscPage(), QStringLiteral("Divers"));
    lstExtToExclude->setObjectName(QStringLiteral("lstExtToExclude"));
    lstFilesToExclude->setObjectName(QStringLiteral("lstFilesToExclude"));

    auto *btnApply = named(new QPushButton(QStringLiteral("Appliquer")), "btnApply");
    auto *btnOK = named(new QPushButton(QStringLiteral("OK")), "btnOK");
    auto *btnClose = named(new QPushButton(QStringLiteral("Fermer")), "btnClose");
    connect(btnApply, &QPushButton::clicked, this, &TfmOptions::applyRequested);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        Q_EMIT applyRequested();
        hide();
    });
    connect(btnClose, &QPushButton::clicked, this, &TfmOptions::hide);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnApply);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
    setTabOrder(btnClose, btnOK);
    setTabOrder(btnOK, btnApply);
    setTabOrder(btnApply, PageControl1);
    btnClose->setFocus();
    // Large enough for every tab and every text at the system font, never below the usual size.
    setFixedSize(minimumSizeHint().expandedTo(QSize(473, 353)));
}

QWidget *TfmOptions::createExclusionPage(const QString &label, ExclusionList &list,
                                         QListView **view, QToolButton **remove)
{
    auto *page = new QWidget;
    *view = new QListView;
    (*view)->setModel(new ExclusionListModel(list, *view));
    // Measured a batch at a time between events: 200,000 entries take a second to measure, which
    // would freeze the window at every change of a list shown.
    (*view)->setLayoutMode(QListView::Batched);
    (*view)->setSelectionMode(QAbstractItemView::ExtendedSelection);
    (*view)->setEditTriggers(QAbstractItemView::NoEditTriggers);
    *remove = new QToolButton;
    (*remove)->setText(QStringLiteral("Retirer"));
    (*remove)->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(
        boldLabel(QStringLiteral("Options s'appliquant uniquement au projet en cours")));
    layout->addWidget(new QLabel(label));
    layout->addWidget(*view);
    layout->addWidget(*remove, 0, Qt::AlignLeft);
    return page;
}

QWidget *TfmOptions::createFileOperationsPage()
{
    cbFileDeleteSrc =
        named(new QCheckBox(QStringLiteral("Supprimer les fichiers du répertoire Source")),
              "cbFileDeleteSrc");
    cbFileDeleteDest =
        named(new QCheckBox(QStringLiteral("Supprimer les fichiers du répertoire Destination")),
              "cbFileDeleteDest");
    cbFileDeleteFull =
        named(new QRadioButton(QStringLiteral("Effacer complètement (récupération impossible)")),
              "cbFileDeleteFull");
    cbFileDeleteSendToTrash =
        named(new QRadioButton(QStringLiteral("Envoyer dans la poubelle (récupération possible)")),
              "cbFileDeleteSendToTrash");
    cbFileSyncReadOnly = named(
        new QCheckBox(QStringLiteral("Mettre à jour les fichiers Destination ayant l'attribut "
                                     "\"R\", \"H\", ou \"S\"")),
        "cbFileSyncReadOnly");
    cbFileCompareCopy =
        named(new QCheckBox(QStringLiteral("Vérifier chaque fichier copié")), "cbFileCompareCopy");
    cbFileSpy =
        named(new QCheckBox(QStringLiteral(
                  "Surveiller les modifications de fichiers effectuées en dehors du programme")),
              "cbFileSpy");
    cbFileSpy->setEnabled(false);

    auto *deletion = new QGroupBox(QStringLiteral("Lors d'une demande de suppression de fichiers"));
    auto *deletionLayout = new QVBoxLayout(deletion);
    for (QWidget *w :
         {static_cast<QWidget *>(cbFileDeleteSrc), static_cast<QWidget *>(cbFileDeleteDest),
          static_cast<QWidget *>(cbFileDeleteFull),
          static_cast<QWidget *>(cbFileDeleteSendToTrash)})
        deletionLayout->addWidget(w);
    auto *copy = new QGroupBox(QStringLiteral("Copie des fichiers"));
    auto *copyLayout = new QVBoxLayout(copy);
    copyLayout->addWidget(cbFileSyncReadOnly);
    copyLayout->addWidget(cbFileCompareCopy);
    auto *misc = new QGroupBox(QStringLiteral("Divers"));
    (new QVBoxLayout(misc))->addWidget(cbFileSpy);

    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(boldLabel(QStringLiteral("Options s'appliquant à tous les projets")));
    layout->addWidget(deletion);
    layout->addWidget(copy);
    layout->addWidget(misc);
    layout->addStretch();
    return page;
}

QWidget *TfmOptions::createMiscPage()
{
    cbAppShowOpenProjectAtStartup =
        named(new QCheckBox(QStringLiteral("Afficher la fenêtre \"Choix du projet\"")),
              "cbAppShowOpenProjectAtStartup");
    auto *startup = new QGroupBox(QStringLiteral("Au lancement du logiciel"));
    (new QVBoxLayout(startup))->addWidget(cbAppShowOpenProjectAtStartup);
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(startup);
    layout->addStretch();
    return page;
}

void TfmOptions::bindRemoveCommands(QAction *removeExtensions, QAction *removeFiles)
{
    btnExtToExcludeDelete->setDefaultAction(removeExtensions);
    btnFileToExcludeDelete->setDefaultAction(removeFiles);
}

void TfmOptions::showPrefs(const UserPrefs &prefs)
{
    cbFileDeleteSrc->setChecked(prefs.FileDeleteSrc);
    cbFileDeleteDest->setChecked(prefs.FileDeleteDest);
    cbFileDeleteSendToTrash->setChecked(prefs.FileDeleteSendToTrash);
    cbFileDeleteFull->setChecked(!prefs.FileDeleteSendToTrash);
    cbFileSyncReadOnly->setChecked(prefs.FileSyncReadOnly);
    cbFileCompareCopy->setChecked(prefs.FileCompareCopy);
    cbFileSpy->setChecked(prefs.FileSpy);
    cbAppShowOpenProjectAtStartup->setChecked(prefs.AppShowOpenProjectAtStartup);
}

void TfmOptions::readPrefs(UserPrefs &prefs) const
{
    prefs.FileDeleteSrc = cbFileDeleteSrc->isChecked();
    prefs.FileDeleteDest = cbFileDeleteDest->isChecked();
    prefs.FileDeleteSendToTrash = cbFileDeleteSendToTrash->isChecked();
    prefs.FileSyncReadOnly = cbFileSyncReadOnly->isChecked();
    prefs.FileCompareCopy = cbFileCompareCopy->isChecked();
    prefs.FileSpy = cbFileSpy->isChecked();
    prefs.AppShowOpenProjectAtStartup = cbAppShowOpenProjectAtStartup->isChecked();
}

void TfmOptions::showPage(int page)
{
    PageControl1->setCurrentIndex(page);
    showLastPage();
}

void TfmOptions::showLastPage()
{
    // Centred on the screen the first time; where the user moved it after that.
    if (!testAttribute(Qt::WA_Moved)) {
        const QScreen *display = parentWidget() ? parentWidget()->screen() : screen();
        move(display->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

QList<int> TfmOptions::selectedExtensionRows() const
{
    return selectedRows(lstExtToExclude);
}

QList<int> TfmOptions::selectedFileRows() const
{
    return selectedRows(lstFilesToExclude);
}
