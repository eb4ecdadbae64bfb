#include "sync/queuedcopyrunhost.h"

#include <QMetaObject>
#include <QObject>
#include <QScopeGuard>
#include <QThread>

#include <algorithm>
#include <array>
#include <utility>

QueuedCopyRunHost::QueuedCopyRunHost(CopyRunHost &target, QObject *context)
    : m_target(target), m_context(context)
{
    m_delivery.setSingleShot(true);
    m_delivery.setInterval(kDeliveryInterval);
    m_delivery.moveToThread(context->thread());
    QObject::connect(&m_delivery, &QTimer::timeout, &m_delivery, [this] { deliverPending(); });
}

void QueuedCopyRunHost::post(Effect effect)
{
    if (QThread::currentThread() == m_context->thread()) {
        deliverPending();
        apply(effect);
        return;
    }
    bool schedule = false;
    const int slot = slotOf(effect);
    std::optional<Effect> replaced; // goes once the lock is released
    {
        const std::lock_guard lock(m_mutex);
        effect.order = m_posted++;
        if (slot >= 0)
            replaced = std::exchange(m_latest[std::size_t(slot)], std::move(effect));
        else
            m_pending.push_back(std::move(effect));
        schedule = !std::exchange(m_scheduled, true);
    }
    // The timer is started on its own thread; it goes with the host, and the call with it.
    if (schedule)
        QMetaObject::invokeMethod(
            &m_delivery, [this] { m_delivery.start(); }, Qt::QueuedConnection);
}

void QueuedCopyRunHost::deliverPending()
{
    std::vector<Effect> effects;
    std::array<std::optional<Effect>, 4> latest;
    {
        const std::lock_guard lock(m_mutex);
        effects.swap(m_pending);
        latest.swap(m_latest);
        m_scheduled = false;
    }
    m_delivery.stop();
    // The last of each slot, at its place among the others.
    std::vector<const Effect *> lasts;
    for (const std::optional<Effect> &effect : latest) {
        if (effect)
            lasts.push_back(&*effect);
    }
    std::sort(lasts.begin(), lasts.end(),
              [](const Effect *a, const Effect *b) { return a->order < b->order; });
    m_target.beginEffects();
    const auto ended = qScopeGuard([this] { m_target.endEffects(); });
    auto last = lasts.cbegin();
    for (const Effect &effect : effects) {
        for (; last != lasts.cend() && (*last)->order < effect.order; ++last)
            apply(**last);
        apply(effect);
    }
    for (; last != lasts.cend(); ++last)
        apply(**last);
}

int QueuedCopyRunHost::slotOf(const Effect &effect)
{
    switch (effect.kind) {
    case Effect::CurrentRow:
    case Effect::ClearCurrentRow:
        return 0;
    case Effect::StatusPanel:
        return effect.value == 1 ? 1 : 2;
    case Effect::Progress:
        return 3;
    case Effect::BusyCursor:      // pushes and pops the cursor: each one counts
    case Effect::RowClickHandler: // cheap
    case Effect::RowStatusText:   // each row's own
    case Effect::RowError:
        return -1;
    }
    return -1;
}

void QueuedCopyRunHost::apply(const Effect &effect)
{
    switch (effect.kind) {
    case Effect::BusyCursor:
        m_target.setBusyCursor(effect.value != 0);
        break;
    case Effect::RowClickHandler:
        m_target.setRowClickHandler(effect.value != 0);
        break;
    case Effect::CurrentRow:
        m_target.setCurrentRow(effect.value);
        break;
    case Effect::ClearCurrentRow:
        m_target.clearCurrentRow(effect.value != 0);
        break;
    case Effect::RowStatusText:
        m_target.setRowStatusText(effect.value, effect.text);
        break;
    case Effect::RowError:
        m_target.setRowError(effect.value, effect.text, effect.detail);
        break;
    case Effect::StatusPanel:
        m_target.setStatusPanel(effect.value, effect.text);
        break;
    case Effect::Progress:
        m_target.setProgress(effect.value);
        break;
    }
}

void QueuedCopyRunHost::setBusyCursor(bool busy)
{
    post({Effect::BusyCursor, busy, {}, {}});
}

void QueuedCopyRunHost::setRowClickHandler(bool attached)
{
    post({Effect::RowClickHandler, attached, {}, {}});
}

void QueuedCopyRunHost::setCurrentRow(int index)
{
    post({Effect::CurrentRow, index, {}, {}});
}

void QueuedCopyRunHost::clearCurrentRow(bool scrollToFirst)
{
    post({Effect::ClearCurrentRow, scrollToFirst, {}, {}});
}

void QueuedCopyRunHost::setRowStatusText(int index, const QString &text)
{
    post({Effect::RowStatusText, index, text, {}});
}

void QueuedCopyRunHost::setRowError(int index, const QString &text, const QString &detail)
{
    post({Effect::RowError, index, text, detail});
}

void QueuedCopyRunHost::setStatusPanel(int panel, const QString &text)
{
    post({Effect::StatusPanel, panel, text, {}});
}

void QueuedCopyRunHost::setProgress(int percent)
{
    post({Effect::Progress, percent, {}, {}});
}

namespace {

// The answer of a box closed without a choice: "&Abandon" where offered, else the last button.
BoxButton closedWithoutChoice(const BoxButtons &buttons)
{
    if (buttons.contains(BoxButton::Abandon) || buttons.isEmpty())
        return BoxButton::Abandon;
    return buttons.last();
}

} // namespace

BoxButton QueuedCopyRunHost::message(BoxKind kind, const QString &text, const BoxButtons &buttons)
{
    if (QThread::currentThread() == m_context->thread()) {
        deliverPending();
        return m_target.message(kind, text, buttons);
    }
    auto question = std::make_shared<Question>();
    question->whenAbandoned = closedWithoutChoice(buttons);
    {
        const std::lock_guard lock(m_mutex);
        if (m_abandoned)
            return question->whenAbandoned;
        m_question = question;
    }
    // What the worker did before it asked is shown before the box. The worker waits on the
    // question, never on the context's thread, which may therefore wait for the worker.
    QMetaObject::invokeMethod(
        m_context,
        [this, question, kind, text, buttons] {
            deliverPending();
            {
                const std::lock_guard lock(m_mutex);
                if (question->answer)
                    return; // abandoned meanwhile
            }
            const BoxButton answer = m_target.message(kind, text, buttons);
            const std::lock_guard lock(m_mutex);
            if (!question->answer)
                question->answer = answer;
            question->answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    if (m_waitingHook)
        m_waitingHook();
    question->answered.wait(lock, [&] { return question->answer.has_value(); });
    m_question.reset();
    return *question->answer;
}

void QueuedCopyRunHost::abandonQuestions()
{
    const std::lock_guard lock(m_mutex);
    m_abandoned = true;
    if (m_question && !m_question->answer) {
        m_question->answer = m_question->whenAbandoned;
        m_question->answered.notify_all();
    }
}
