#pragma once

#include <memory>

class Dialogs;
class TfmMain;
class TfmOptions;

// The program's windows, created and initialised in the start-up order; the main window owns
// the others, so they go with it.
class Startup {
public:
    // Creates the main window, then the options dialog, then initialises the main window.
    explicit Startup(Dialogs &dialogs);
    ~Startup();

    TfmMain &mainWindow() { return *m_main; }
    TfmOptions &options() { return *m_options; }

    // Shows the project chooser when the preferences ask for it, then the main window.
    void showWindows();

private:
    std::unique_ptr<TfmMain> m_main;
    TfmOptions *m_options = nullptr;
};
