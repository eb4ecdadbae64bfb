#include "app/startup.h"

#include "app/fmmain.h"
#include "app/fmoptions.h"

Startup::Startup(Dialogs &dialogs)
{
    // The volume-information service needs no set-up: every query names its folder.
    m_main = std::make_unique<TfmMain>(dialogs);
    m_options = new TfmOptions(m_main->project().ExtensionsToExclude,
                               m_main->project().FilesToExclude, m_main.get());
    // The project chooser is created here.
    m_main->initialise(m_options);
}

Startup::~Startup() = default;

void Startup::showWindows()
{
    // The project chooser is shown here, before the main window.
    m_main->show();
}
