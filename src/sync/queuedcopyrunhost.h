#pragma once

#include "sync/copyrunhost.h"

class QObject;

// Carries every call of a copy run's worker over to the thread of a context object (the
// window), where the target host runs it: in the order made, without waiting, except for a
// message box, whose answer the worker waits for. Called on the context's own thread, it calls
// the target directly (a blocking call to one's own thread would never return). The target and
// the context must outlive the worker: the window waits for it before it goes.
class QueuedCopyRunHost : public CopyRunHost {
public:
    QueuedCopyRunHost(CopyRunHost &target, QObject *context);

    void setBusyCursor(bool busy) override;
    void setRowClickHandler(bool attached) override;
    void setCurrentRow(int index) override;
    void clearCurrentRow(bool scrollToFirst) override;
    void setRowStatusText(int index, const QString &text) override;
    void setRowStatusCode(int index, std::int32_t code) override;
    void setStatusPanel(int panel, const QString &text) override;
    void setProgress(int percent) override;
    BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) override;

private:
    template <typename Call> void post(Call &&call);

    CopyRunHost &m_target;
    QObject *m_context;
};
