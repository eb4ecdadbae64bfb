#include "app/fmopenproject.h"

#include "platform/appinfo.h"
#include "platform/paths.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QString kOtherProject = QStringLiteral("Autre projet existant...");

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Enter and Escape belong to the chooser, not to whichever button has the focus.
QPushButton *button(const QString &text, const char *name)
{
    auto *made = named(new QPushButton(text), name);
    made->setAutoDefault(false);
    return made;
}

} // namespace

TfmOpenProject::TfmOpenProject(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmOpenProject"));
    setWindowTitle(QStringLiteral("Tandrimo - Choix du projet"));
    rbNewProject =
        named(new QRadioButton(QStringLiteral("Créer un nouveau projet")), "rbNewProject");
    rbNewProject->setIcon(QIcon(QStringLiteral(":/icons/page-blank.svg")));
    rbOpenProject =
        named(new QRadioButton(QStringLiteral("Ouvrir un projet existant")), "rbOpenProject");
    rbOpenProject->setIcon(QIcon(QStringLiteral(":/icons/folder-open-arrow.svg")));
    rbOpenProject->setChecked(true);
    auto *lblVersion = named(new QLabel(platform::fileVersion()), "lblVersion");
    QPalette green = lblVersion->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    lblVersion->setPalette(green);
    lstProjectList = named(new QListWidget, "lstProjectList");
    lstProjectList->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *btnQuit = button(QStringLiteral("Quitter"), "btnQuit");
    btnOK = button(QStringLiteral("OK"), "btnOK");
    auto *btnCancel = button(QStringLiteral("Annuler"), "btnCancel");

    auto *top = new QGridLayout;
    top->addWidget(rbNewProject, 0, 0);
    top->addWidget(rbOpenProject, 1, 0);
    top->addWidget(named(new QLabel(QStringLiteral("Version")), "Label1"), 0, 1, Qt::AlignRight);
    top->addWidget(lblVersion, 1, 1, Qt::AlignRight);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnQuit);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lstProjectList, 1);
    layout->addLayout(buttons);
    setTabOrder(lstProjectList, btnCancel);
    setTabOrder(btnCancel, btnOK);
    setTabOrder(btnOK, rbNewProject);
    setTabOrder(rbNewProject, rbOpenProject);
    setTabOrder(rbOpenProject, btnQuit);
    setFixedSize(minimumSizeHint().expandedTo(QSize(505, 481)));

    connect(rbNewProject, &QRadioButton::clicked, this, &TfmOpenProject::rbNewProjectClick);
    connect(rbOpenProject, &QRadioButton::clicked, this, &TfmOpenProject::rbNewProjectClick);
    connect(btnOK, &QPushButton::clicked, this, &TfmOpenProject::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmOpenProject::btnCancelClick);
    connect(btnQuit, &QPushButton::clicked, this, &TfmOpenProject::btnQuitClick);
    connect(lstProjectList, &QListWidget::itemDoubleClicked, this, &TfmOpenProject::btnOKClick);
}

TfmOpenProject::Choice TfmOpenProject::ShowProjectChooser(const QStringList &recent,
                                                          const ModalRun &run)
{
    lstProjectList->clear();
    // An entry without a file still opens, to say so; it shows greyed.
    const QBrush greyed = palette().brush(QPalette::Disabled, QPalette::Text);
    for (const QString &path : recent) {
        auto *item = new QListWidgetItem(path, lstProjectList);
        if (!platform::isExistingFile(path))
            item->setForeground(greyed);
    }
    lstProjectList->addItem(kOtherProject);
    lstProjectList->setCurrentRow(0);
    if (lstProjectList->count() < 2) {
        rbNewProject->setChecked(true);
        rbNewProjectClick();
    }
    m_choice = Choice::Cancel;
    m_path.clear();
    if (run)
        run(*this);
    else
        exec();
    return m_choice;
}

void TfmOpenProject::rbNewProjectClick()
{
    lstProjectList->setEnabled(rbOpenProject->isChecked());
    QWidget *next = rbNewProject->isChecked() ? static_cast<QWidget *>(btnOK) : lstProjectList;
    if (isVisible() && next->isEnabled())
        next->setFocus();
}

void TfmOpenProject::btnOKClick()
{
    const int row = lstProjectList->currentRow();
    if (rbNewProject->isChecked() || row < 0) {
        finish(Choice::NewProject);
    } else if (row == lstProjectList->count() - 1) {
        finish(Choice::OtherProject);
    } else {
        m_path = lstProjectList->item(row)->text();
        finish(Choice::OpenProject);
    }
}

void TfmOpenProject::btnCancelClick()
{
    finish(Choice::Cancel);
}

void TfmOpenProject::btnQuitClick()
{
    finish(Choice::Quit);
}

void TfmOpenProject::finish(Choice choice)
{
    m_choice = choice;
    done(choice == Choice::Cancel || choice == Choice::Quit ? Rejected : Accepted);
}

void TfmOpenProject::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        btnOKClick();
        break;
    case Qt::Key_Escape:
        btnCancelClick();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TfmOpenProject::showEvent(QShowEvent *event)
{
    move(screen()->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    // Visible now: the focus goes where the chosen radio button leads.
    rbNewProjectClick();
}
