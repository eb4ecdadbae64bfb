#pragma once

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;
class QRadioButton;

// The project chooser of start-up: a new project, one of the recent projects, another project
// file, or the end of the program. It only says what the user chose; the start-up acts on it.
class TfmOpenProject : public QDialog {
    Q_OBJECT
public:
    enum class Choice { NewProject, OpenProject, OtherProject, Cancel, Quit };
    // Shows the chooser and returns once it is closed; QDialog::exec() when empty.
    using ModalRun = std::function<void(TfmOpenProject &)>;

    explicit TfmOpenProject(QWidget *parent = nullptr);

    // Lists the recent projects, then "Autre projet existant...", chooses the default and shows
    // the chooser modally; the user's choice, the project's path for OpenProject.
    Choice ShowProjectChooser(const QStringList &recent, const ModalRun &run = {});
    const QString &chosenPath() const { return m_path; }

    void rbNewProjectClick();
    void btnOKClick();
    void btnCancelClick();
    void btnQuitClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void finish(Choice choice);

    QRadioButton *rbNewProject = nullptr;
    QRadioButton *rbOpenProject = nullptr;
    QListWidget *lstProjectList = nullptr;
    QPushButton *btnOK = nullptr;
    Choice m_choice = Choice::Cancel;
    QString m_path;
};
