#pragma once

#include "compare/abort.h"

#include <QString>

#include <exception>
#include <functional>
#include <new>
#include <utility>

// Tells the user of an error that ended a command: what it was (the command's caption, or what
// the user did) and why. The main window installs one that shows a French box; every report is
// also written to standard error, even without one.
using FaultReporter = std::function<void(const QString &what, const QString &why)>;
void setFaultReporter(FaultReporter reporter);
// Never throws: a report that fails itself is dropped, since nothing is left to tell it with.
void reportFault(const QString &what, const QString &why) noexcept;

// Runs the body of a command or event handler. A refusal (Abort) ends it without a word; any
// other error ends it too, and is told (reportFault). No exception ever crosses the event loop.
template <typename Body> void guarded(Body &&body, const QString &what = QString()) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (const Abort &) {
    } catch (const std::bad_alloc &) {
        reportFault(what, QStringLiteral("mémoire insuffisante"));
    } catch (const std::exception &error) {
        reportFault(what, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportFault(what, QStringLiteral("erreur inconnue"));
    }
}
