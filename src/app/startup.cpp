#include "app/startup.h"

#include "app/fmmain.h"
#include "app/fmoptions.h"
#include "app/guard.h"
#include "app/projectcommands.h"
#include "app/recentprojects.h"

#include <QCoreApplication>

Startup::Startup(Dialogs &dialogs, TfmOpenProject::ModalRun runChooser)
    : m_runChooser(std::move(runChooser))
{
    // The volume-information service needs no set-up: every query names its folder.
    m_main = std::make_unique<TfmMain>(dialogs);
    m_options = new TfmOptions(m_main->project().ExtensionsToExclude,
                               m_main->project().FilesToExclude, m_main.get());
    m_chooser = new TfmOpenProject(m_main.get());
    m_main->initialise(m_options);
}

Startup::~Startup() = default;

bool Startup::showWindows(const QString &projectPath)
{
    using Choice = TfmOpenProject::Choice;
    TfmMain &main = *m_main;
    if (!projectPath.isEmpty()) {
        main.show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        guarded([&] { main.projects().ProjectLoad(projectPath); });
        return true;
    }
    Choice choice = Choice::Cancel;
    if (main.userPrefs().AppShowOpenProjectAtStartup) {
        guarded([&] {
            choice = m_chooser->ShowProjectChooser(main.recentProjects().Items(), m_runChooser);
        });
    }
    if (choice == Choice::Quit)
        return false;
    main.show();
    if (choice != Choice::OpenProject && choice != Choice::OtherProject)
        return true;
    // Opening and listing happen in view.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    guarded([&] {
        if (choice == Choice::OpenProject)
            main.projects().ProjectLoad(m_chooser->chosenPath());
        else
            main.projects().ActProjectOpenExecute();
    });
    return true;
}
