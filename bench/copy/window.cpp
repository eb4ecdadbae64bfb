#include "window.h"

#include "app/fmmain.h"
#include "app/qtdialogs.h"
#include "app/startup.h"
#include "app/synccommands.h"
#include "compare/comparison.h"
#include "compare/filelist.h"
#include "compare/statuscode.h"
#include "sync/copyrunthread.h"
#include "trees.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

int measureWindowCopy(int argc, char *argv[], const QString &src, const QString &dest)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    qputenv("TANDRIMO_INI", QFile::encodeName(settings.filePath(QStringLiteral("bench.ini"))));
    QtDialogs dialogs;
    // No project chooser: the window opens on an empty project.
    Startup startup(dialogs, [](TfmOpenProject &) {});
    startup.showWindows();
    TfmMain &main = startup.mainWindow();
    main.project().SrcPath = src;
    main.project().DestPath = dest;
    main.project().PathRecursive = true;
    // The rows as a classification leaves them, every one due. (The window's own listing
    // passes over names without a dot, which most of the benchmark's files are.)
    Comparison &comparison = main.comparison();
    {
        FileListUpdate update(comparison.fileList());
        for (const QString &file : filesOf(src)) {
            FileEntry &entry = comparison.fileList().append();
            entry.files = file;
            entry.statusCode = StatusToCopy;
            entry.classified = true;
        }
    }
    comparison.recountRows();
    const int due = comparison.filesToCopyCount();

    QEventLoop loop;
    // Connected after the window's own handler: runs once the window has done its closing work.
    QObject::connect(main.copyRunThread(), &CopyRunThread::finishAll, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    ::sync();
    QElapsedTimer timer;
    timer.start();
    main.sync().ActAppCopyFilesExecute();
    loop.exec();
    const qint64 ms = timer.elapsed();

    int copied = 0;
    const FileList &list = comparison.fileList();
    for (int i = 0; i < list.count(); ++i)
        copied += isUpToDate(list.row(i).statusCode);
    std::printf("%lld %d %d\n", static_cast<long long>(ms), copied, due);
    main.project().Modified = false;
    return 0;
}
