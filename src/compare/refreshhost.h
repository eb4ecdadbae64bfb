#pragma once

#include "compare/messagebox.h"

#include <QString>

// What the comparison needs from the window while it refreshes and classifies the list, all on
// the UI thread. The main window implements it with widgets; the tests with a recorder.
class RefreshHost {
public:
    virtual ~RefreshHost() = default;

    // Writes the text into the status bar's message panel (panel 2), and nothing else.
    virtual void setStatusText(const QString &text) = 0;
    // Lets pending user input and repaints through (QCoreApplication::processEvents), so that
    // Stop can be clicked. The comparison calls it at most every ~30 ms.
    virtual void processPendingInput() = 0;
    // Shows the busy cursor, or restores the previous one; calls nest. See BusyCursorScope.
    virtual void showBusyCursor() = 0;
    virtual void restoreCursor() = 0;
    // A modal message box with these buttons, in this order; the answer.
    virtual BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) = 0;
    // Refreshes panel 1 (the destination's free space) and shows the summary: the window writes
    // SizeText(free space, true) into panel 1, then calls
    // Comparison::ShowStatusMessage(Comparison::summaryText()).
    virtual void showSummary() = 0;
    // Sets every command's enabled state from the state, Comparison::busy() included.
    virtual void updateCommandStates() = 0;

    // The refresh's questions on the destination folder, by default a box: whether to make a
    // missing one, and whether to go on with the file system's root.
    virtual bool createMissingDestination(const QString &folder)
    {
        return message(BoxKind::Confirmation,
                       QStringLiteral("Le répertoire Destination \"%1\" n'existe pas.\n"
                                      "Souhaitez-vous le créer ?")
                           .arg(folder),
                       {BoxButton::Yes, BoxButton::No}) == BoxButton::Yes;
    }
    virtual bool acceptRootDestination(const QString &folder)
    {
        return message(BoxKind::Confirmation,
                       QStringLiteral("Le répertoire destination spécifié (\"%1\") est la racine "
                                      "du système de fichiers.\nLa copie qui va suivre peut "
                                      "écrire des fichiers partout dans le système.\n"
                                      "Souhaitez-vous tout de même continuer ?")
                           .arg(folder),
                       {BoxButton::Yes, BoxButton::No}) == BoxButton::Yes;
    }
};

// Shows the busy cursor for its lifetime, so that every exit path restores it.
class BusyCursorScope {
public:
    explicit BusyCursorScope(RefreshHost &host) : m_host(&host) { host.showBusyCursor(); }
    ~BusyCursorScope() { end(); }
    BusyCursorScope(const BusyCursorScope &) = delete;
    BusyCursorScope &operator=(const BusyCursorScope &) = delete;
    void end()
    {
        if (m_host != nullptr)
            m_host->restoreCursor();
        m_host = nullptr;
    }

private:
    RefreshHost *m_host;
};
