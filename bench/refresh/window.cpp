// The refresh through the real main window, headless: the same trees, the same best-of runs,
// with every status message, summary and command-state update the window does.

#include "window.h"

#include "app/fmmain.h"
#include "app/qtdialogs.h"
#include "app/startup.h"
#include "compare/comparison.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <limits>

int measureWindow(int argc, char *argv[], const QString &src, const QString &dst, int runs)
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
    main.project().DestPath = dst;
    main.project().PathRecursive = true;
    qint64 best = std::numeric_limits<qint64>::max();
    for (int run = 0; run <= runs; ++run) { // run 0 warms the caches
        QElapsedTimer timer;
        timer.start();
        main.RefreshFileList();
        const qint64 elapsed = timer.nsecsElapsed();
        if (run > 0)
            best = std::min(best, elapsed);
    }
    std::printf("%lld %d\n", static_cast<long long>(best), main.comparison().fileList().count());
    main.project().Modified = false;
    return 0;
}
