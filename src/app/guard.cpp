#include "app/guard.h"

#include <cstdio>

namespace {

FaultReporter &installedReporter()
{
    static FaultReporter reporter;
    return reporter;
}

} // namespace

void setFaultReporter(FaultReporter reporter)
{
    installedReporter() = std::move(reporter);
}

void reportFault(const QString &what, const QString &why) noexcept
{
    try {
        const QString line = what.isEmpty()
                                 ? QStringLiteral("tandrimo : erreur : %1").arg(why)
                                 : QStringLiteral("tandrimo : %1 : erreur : %2").arg(what, why);
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        if (installedReporter())
            installedReporter()(what, why);
    } catch (...) {
        // The report itself failed (memory): there is nothing left to tell it with.
    }
}
