#pragma once

#include "app/fmopenproject.h"

#include <memory>

class Dialogs;
class TfmMain;
class TfmOptions;

// The program's windows, created and initialised in the start-up order; the main window owns
// the others, so they go with it.
class Startup {
public:
    // Creates the main window, then the options dialog, then the project chooser, then
    // initialises the main window. runChooser shows the chooser (modally when empty).
    explicit Startup(Dialogs &dialogs, TfmOpenProject::ModalRun runChooser = {});
    ~Startup();

    TfmMain &mainWindow() { return *m_main; }
    TfmOptions &options() { return *m_options; }
    TfmOpenProject &chooser() { return *m_chooser; }

    // Shows the project chooser when the preferences ask for it, then the main window with what
    // was chosen. False after "Quitter": the program ends without showing or writing anything.
    // A project named on the command line (a file manager opening a .tdm) is opened without
    // the chooser.
    bool showWindows(const QString &projectPath = QString());

private:
    std::unique_ptr<TfmMain> m_main;
    TfmOptions *m_options = nullptr;
    TfmOpenProject *m_chooser = nullptr;
    TfmOpenProject::ModalRun m_runChooser;
};
