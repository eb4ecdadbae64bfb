#pragma once

#include "sync/copyrunhost.h"

#include <QString>
#include <QTimer>

#include <array>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

class QObject;

// Carries every call of a copy run's worker over to the thread of a context object (the
// window), where the target host runs it, in the order made and without making the worker
// wait, except for a message box, whose answer the worker waits for (or the answer of a box
// closed without a choice, once the window has abandoned its questions). The calls are delivered
// together, at most every kDeliveryInterval: a run that copies thousands of small files a
// second would otherwise keep the UI thread busy repainting for each one. Within one delivery,
// a current row, a panel's text or the progress that a later call of the same delivery replaces
// is passed over, since it would never be seen; every row's texts and codes are all delivered.
// Called on the context's own thread, it calls the target directly. The target and the context
// must outlive the worker: the window waits for it before it goes.
class QueuedCopyRunHost : public CopyRunHost {
public:
    // Ten times a second is enough to follow a run; each delivery repaints the window, which
    // a faster pace would make cost the worker its share of the processors.
    static constexpr int kDeliveryInterval = 100; // milliseconds

    QueuedCopyRunHost(CopyRunHost &target, QObject *context);

    void setBusyCursor(bool busy) override;
    void setRowClickHandler(bool attached) override;
    void setCurrentRow(int index) override;
    void clearCurrentRow(bool scrollToFirst) override;
    void setRowStatusText(int index, const QString &text) override;
    void setRowError(int index, const QString &text, const QString &detail) override;
    void setStatusPanel(int panel, const QString &text) override;
    void setProgress(int percent) override;
    BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) override;
    // Called on the worker with the lock held, just before it waits for an answer: from then on
    // whoever takes the lock finds it waiting (a test's hook).
    void setWaitingHook(std::function<void()> hook) { m_waitingHook = std::move(hook); }
    // On the context's thread.
    void deliverPending() override;
    void abandonQuestions() override;

private:
    struct Effect {
        enum Kind {
            BusyCursor,
            RowClickHandler,
            CurrentRow,
            ClearCurrentRow,
            RowStatusText,
            RowError,
            StatusPanel,
            Progress,
        } kind;
        int value = 0; // a flag, a row, a panel or a percentage
        QString text;
        QString detail;
        quint64 order = 0; // when it was posted
    };

    void post(Effect effect);
    void apply(const Effect &effect);
    // Effects that replace one another share a slot; -1 for those that never do.
    static int slotOf(const Effect &effect);

    CopyRunHost &m_target;
    QObject *m_context;
    QTimer m_delivery; // lives on the context's thread
    // The box the worker waits for: answered on the context's thread, or abandoned.
    struct Question {
        BoxButton whenAbandoned;
        std::condition_variable answered;
        std::optional<BoxButton> answer;
    };
    std::mutex m_mutex;
    // The effects waiting: those that never replace one another, and the last of each slot.
    // Kept apart, a replaced one goes at once, on the thread that posted it.
    std::vector<Effect> m_pending;
    std::array<std::optional<Effect>, 4> m_latest;
    quint64 m_posted = 0;
    bool m_scheduled = false;
    std::shared_ptr<Question> m_question;
    bool m_abandoned = false;
    std::function<void()> m_waitingHook;
};
