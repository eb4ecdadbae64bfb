#pragma once

#include "compare/messagebox.h"

#include <QString>

// Every effect of a copy run on the window, in the order the run makes them. The run calls it
// from its worker thread; the window's implementation runs on the UI thread (wrap it in
// QueuedCopyRunHost, which carries the calls over in order and waits for the answer of a box).
// Row indices are those of the FileList when the run began.
class CopyRunHost {
public:
    virtual ~CopyRunHost() = default;

    // The hourglass cursor while the run works, the default cursor once it ends.
    virtual void setBusyCursor(bool busy) = 0;
    // The list's click handler (rvFilesClick) is detached while the run works.
    virtual void setRowClickHandler(bool attached) = 0;
    // Makes the row the list's current row and scrolls to it.
    virtual void setCurrentRow(int index) = 0;
    // Leaves the list without a current row; scrolls back to its first row when asked.
    virtual void clearCurrentRow(bool scrollToFirst) = 0;
    virtual void setRowStatusText(int index, const QString &text) = 0;
    // The row's copy failed: its code becomes StatusError, its text says why ("Erreur : ..."),
    // and detail keeps the system's full message for its tooltip.
    virtual void setRowError(int index, const QString &text, const QString &detail) = 0;
    // Panel 1: sizes of the current file and of the free space; panel 2: what the run is doing.
    virtual void setStatusPanel(int panel, const QString &text) = 0;
    // 0 to 100.
    virtual void setProgress(int percent) = 0;
    // A modal box; the run waits for the answer.
    virtual BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) = 0;
    // Around many effects carried out at once on the UI thread (QueuedCopyRunHost): what they
    // change in the rows may be shown once for all of them.
    virtual void beginEffects() {}
    virtual void endEffects() {}
    // Called on the UI thread once the worker has ended: effects still held back are carried
    // out now, before the run's end is handled.
    virtual void deliverPending() {}
    // Called on the UI thread when the window goes while the worker may still run: from now on
    // every box, the one the worker may be waiting for included, is answered at once as if
    // closed without a choice, so that the worker can end without the window.
    virtual void abandonQuestions() {}
};
