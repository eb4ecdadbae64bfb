#include "sync/queuedcopyrunhost.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <utility>

QueuedCopyRunHost::QueuedCopyRunHost(CopyRunHost &target, QObject *context)
    : m_target(target), m_context(context)
{}

template <typename Call> void QueuedCopyRunHost::post(Call &&call)
{
    QObject *context = m_context;
    if (QThread::currentThread() == context->thread())
        call();
    else
        QMetaObject::invokeMethod(context, std::forward<Call>(call), Qt::QueuedConnection);
}

void QueuedCopyRunHost::setBusyCursor(bool busy)
{
    post([&target = m_target, busy] { target.setBusyCursor(busy); });
}

void QueuedCopyRunHost::setRowClickHandler(bool attached)
{
    post([&target = m_target, attached] { target.setRowClickHandler(attached); });
}

void QueuedCopyRunHost::setCurrentRow(int index)
{
    post([&target = m_target, index] { target.setCurrentRow(index); });
}

void QueuedCopyRunHost::clearCurrentRow(bool scrollToFirst)
{
    post([&target = m_target, scrollToFirst] { target.clearCurrentRow(scrollToFirst); });
}

void QueuedCopyRunHost::setRowStatusText(int index, const QString &text)
{
    post([&target = m_target, index, text] { target.setRowStatusText(index, text); });
}

void QueuedCopyRunHost::setRowStatusCode(int index, std::int32_t code)
{
    post([&target = m_target, index, code] { target.setRowStatusCode(index, code); });
}

void QueuedCopyRunHost::setStatusPanel(int panel, const QString &text)
{
    post([&target = m_target, panel, text] { target.setStatusPanel(panel, text); });
}

void QueuedCopyRunHost::setProgress(int percent)
{
    post([&target = m_target, percent] { target.setProgress(percent); });
}

BoxButton QueuedCopyRunHost::message(BoxKind kind, const QString &text, const BoxButtons &buttons)
{
    QObject *context = m_context;
    if (QThread::currentThread() == context->thread())
        return m_target.message(kind, text, buttons);
    BoxButton answer = BoxButton::Abandon;
    QMetaObject::invokeMethod(
        context, [&] { answer = m_target.message(kind, text, buttons); },
        Qt::BlockingQueuedConnection);
    return answer;
}
