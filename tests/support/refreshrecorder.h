#pragma once

#include "compare/abort.h"
#include "compare/comparison.h"
#include "compare/refreshhost.h"
#include "project/project.h"
#include "project/userprefs.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

// A RefreshHost that logs every effect in order, answers boxes from a script and shows the
// summary as the main window does.
class Recorder : public RefreshHost {
public:
    QStringList log;
    int inputs = 0;
    int cursorDepth = 0;
    QList<BoxButton> answers;
    std::function<void(const QString &)> onStatus; // called after the text was logged
    Comparison *comparison = nullptr;

    void setStatusText(const QString &text) override
    {
        log << "status " + text;
        if (onStatus)
            onStatus(text);
    }
    void processPendingInput() override { ++inputs; }
    void showBusyCursor() override
    {
        ++cursorDepth;
        log << "cursor+";
    }
    void restoreCursor() override
    {
        --cursorDepth;
        log << "cursor-";
    }
    BoxButton message(BoxKind kind, const QString &text, const BoxButtons &buttons) override
    {
        log << QString("box %1 %2").arg(int(kind)).arg(text);
        return answers.isEmpty() ? buttons.last() : answers.takeFirst();
    }
    void showSummary() override
    {
        log << "summary";
        comparison->ShowStatusMessage(comparison->summaryText());
    }
    void updateCommandStates() override
    {
        log << (comparison->busy() ? "commands busy" : "commands idle");
    }
};

// The state the main window holds, with a recorder in place of the window.
struct Fixture {
    TProject project;
    UserPrefs prefs;
    Recorder host;
    Comparison comparison{project, prefs, host};

    Fixture(const QString &source, const QString &destination, bool recursive)
    {
        project.SrcPath = source;
        project.DestPath = destination;
        project.PathRecursive = recursive;
        host.comparison = &comparison;
    }
    // As a command runs it: true when the refresh ran to its end, false on Abort.
    bool refresh()
    {
        try {
            comparison.RefreshFileList();
            return true;
        } catch (const Abort &) {
            return false;
        }
    }
    // Each row as "code|files|ext|size|status text", or its relative path alone.
    QStringList rows(bool pathsOnly = false) const
    {
        QStringList result;
        for (int i = 0; i < comparison.fileList().count(); ++i) {
            const FileEntry &row = comparison.fileList().row(i);
            result << (pathsOnly
                           ? row.files
                           : QString("%1|%2|%3|%4|%5")
                                 .arg(row.statusCode)
                                 .arg(row.files, row.fileExt(), row.fileSize(), row.statusText));
        }
        return result;
    }
    QStringList statuses() const
    {
        QStringList result;
        for (const QString &line : host.log.filter(QRegularExpression("^status ")))
            result << line.mid(7);
        return result;
    }
};

// Sets a file's modification time to the nanosecond (UTC, since 1970).
inline bool setModifiedNs(const QString &path, qint64 ns)
{
    const struct timespec time {
        time_t(ns / 1000000000), long(ns % 1000000000)
    };
    const struct timespec times[2] = {time, time};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

// A file of that size without data blocks.
inline bool makeSparseFile(const QString &path, qint64 size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool sized = fd >= 0 && ::ftruncate(fd, off_t(size)) == 0;
    return fd >= 0 && ::close(fd) == 0 && sized;
}
