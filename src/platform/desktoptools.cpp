#include "platform/desktoptools.h"

#include "platform/appinfo.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace platform {

namespace {

struct Candidate {
    QString program;
    QStringList arguments;
};

QList<Candidate> candidates(DesktopTool tool)
{
    switch (tool) {
    case DesktopTool::NetworkConnect:
    case DesktopTool::NetworkDisconnect:
        // File managers open their network places, where shares are connected and
        // disconnected.
        return {{QStringLiteral("nautilus"), {QStringLiteral("other-locations:///")}},
                {QStringLiteral("dolphin"), {QStringLiteral("remote:/")}},
                {QStringLiteral("nemo"), {QStringLiteral("network:///")}},
                {QStringLiteral("caja"), {QStringLiteral("network:///")}},
                {QStringLiteral("thunar"), {QStringLiteral("network:///")}}};
    case DesktopTool::FileSearch:
        // From the root, as the system's own search started at the first drive.
        return {{QStringLiteral("catfish"), {QStringLiteral("--path=/")}},
                {QStringLiteral("kfind"), {QStringLiteral("/")}},
                {QStringLiteral("gnome-search-tool"), {QStringLiteral("--path=/")}}};
    case DesktopTool::FormatDisk:
        return {{QStringLiteral("gnome-disks"), {}}, {QStringLiteral("partitionmanager"), {}}};
    }
    return {};
}

bool isFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace

bool startDesktopTool(DesktopTool tool)
{
    for (const Candidate &candidate : candidates(tool)) {
        const QString program = QStandardPaths::findExecutable(candidate.program);
        if (!program.isEmpty())
            return QProcess::startDetached(program, candidate.arguments);
    }
    return false;
}

QString readmeFile()
{
    const QString beside = executableFolder() + QStringLiteral("A_Lire.txt");
    if (isFile(beside))
        return beside;
    // Relative to the executable, so that any installation prefix finds it.
    const QString installed =
        QDir::cleanPath(executableFolder() + QStringLiteral(TANDRIMO_INSTALLED_README));
    return isFile(installed) ? installed : QString();
}

} // namespace platform
