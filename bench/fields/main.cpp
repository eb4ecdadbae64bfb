// Typing in a folder field through the real main window, headless: how long each keystroke's
// handling takes on a local folder, and the longest the window's thread is held while a field
// names a folder on a mount that does not answer (a FAT image through fusefat, its daemon
// stopped with SIGSTOP).
//
//   bench_fields               both measures, each window in a process of its own
//   bench_fields --type PATH   types PATH three times; prints "MEDIAN SLOWEST" in ms
//   bench_fields --dead DIR    types a path inside DIR in both fields and shows the summary;
//                              prints the longest time one event held the window, in ms
//   bench_fields --double      the same, the folder question blocking for 5 s instead
//
// The mount is always woken and unmounted, whatever the window did.

#include "app/fmmain.h"
#include "app/folderfields.h"
#include "app/qtdialogs.h"
#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPathLength = 60;

// Times every event the window's thread handles, nested sends counted once.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        QElapsedTimer timer;
        timer.start();
        const bool handled = QApplication::notify(receiver, event);
        longestNs = std::max(longestNs, timer.nsecsElapsed());
        --m_depth;
        return handled;
    }
    qint64 longestNs = 0;

private:
    int m_depth = 0;
};

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// One keystroke as the keyboard gives it, and whatever it left for the event loop.
qint64 typeKey(QLineEdit *field, QChar ch)
{
    QElapsedTimer timer;
    timer.start();
    const auto key = Qt::Key(ch.toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(field, &press);
    QApplication::sendEvent(field, &release);
    QApplication::processEvents();
    return timer.nsecsElapsed();
}

struct Window {
    QTemporaryDir settings;
    QtDialogs dialogs;
    std::unique_ptr<Startup> startup;
    Window()
    {
        qputenv("TANDRIMO_INI", QFile::encodeName(settings.filePath(QStringLiteral("bench.ini"))));
        // No project chooser: a first run's settings would show it, and wait for a choice.
        startup = std::make_unique<Startup>(dialogs, [](TfmOpenProject &) {});
        startup->showWindows();
    }
    QLineEdit *field(const char *name)
    {
        return startup->mainWindow().findChild<QLineEdit *>(QLatin1String(name));
    }
};

int typeLocal(int argc, char *argv[], const QString &path)
{
    TimedApplication app(argc, argv);
    Window window;
    QLineEdit *field = window.field("edDirSrc");
    std::vector<qint64> times;
    for (int round = 0; round < 3; ++round) {
        field->clear();
        for (QChar ch : path)
            times.push_back(typeKey(field, ch));
    }
    std::sort(times.begin(), times.end());
    std::printf("%.3f %.3f\n", ms(times[times.size() / 2]), ms(times.back()));
    return 0;
}

// The longest single event from the first keystroke on, settling included.
int typeDead(int argc, char *argv[], const QString &folder, bool useDouble)
{
    TimedApplication app(argc, argv);
    Window window;
    if (useDouble) {
        window.startup->mainWindow().findChild<FolderFields *>()->setFolderQuestion(
            [](const QString &path) {
                QThread::sleep(5);
                return folderFactsOf(path);
            });
    }
    const QString path = folder + QStringLiteral("/photos/2024/vacances");
    QApplication::processEvents();
    app.longestNs = 0;
    for (const char *name : {"edDirSrc", "edDirDest"}) {
        QLineEdit *field = window.field(name);
        field->selectAll(); // the first key replaces the text
        for (QChar ch : path)
            typeKey(field, ch);
    }
    QElapsedTimer summary;
    summary.start();
    window.startup->mainWindow().ShowSummary();
    app.longestNs = std::max(app.longestNs, summary.nsecsElapsed());
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    // The questions still stuck in the mount go with the process.
    std::printf("%.3f\n", ms(app.longestNs));
    return 0;
}

// The child's output, or an empty text when it failed or did not end in time.
QString runChild(const QStringList &arguments, int timeoutMs = 60000)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished(5000);
        return QString();
    }
    return child.exitCode() == 0 ? QString::fromUtf8(child.readAllStandardOutput()).trimmed()
                                 : QString();
}

QString localPath(const QTemporaryDir &base)
{
    QString path = base.path();
    while (path.size() < kPathLength)
        path += QStringLiteral("/dossier");
    path.truncate(kPathLength);
    if (path.endsWith(u'/'))
        path.back() = u'x';
    QDir().mkpath(path);
    return path;
}

bool isMounted(const QString &folder)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    return table.open(QIODevice::ReadOnly) && table.readAll().contains(QFile::encodeName(folder));
}

// The dead mount's figure, with a note on how the mount was made.
QString deadMount(const QTemporaryDir &base, QString *note)
{
    const QStringList bins{QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin"),
                           QStringLiteral("/sbin")};
    const QString fusefat = QStandardPaths::findExecutable(QStringLiteral("fusefat"), bins);
    const QString mkfs = QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat"), bins);
    const QString image = base.filePath(QStringLiteral("fat.img"));
    const QString disk = base.filePath(QStringLiteral("disk"));
    QDir().mkpath(disk);
    QProcess daemon;
    if (!fusefat.isEmpty() && !mkfs.isEmpty() &&
        QProcess::execute(mkfs, {QStringLiteral("-C"), image, QStringLiteral("8192")}) == 0) {
        daemon.start(fusefat, {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("rw+"),
                               image, disk});
        for (int i = 0; i < 100 && !isMounted(disk); ++i)
            QThread::msleep(50);
    }
    if (!isMounted(disk)) {
        daemon.kill();
        daemon.waitForFinished(5000);
        *note = QStringLiteral("fusefat could not mount a FAT image: the folder question is a "
                               "double that blocks for 5 s");
        return runChild({QStringLiteral("--double"), disk});
    }
    const auto pid = pid_t(daemon.processId());
    ::kill(pid, SIGSTOP);
    const auto wake = qScopeGuard([&] {
        ::kill(pid, SIGCONT);
        if (QProcess::execute(QStringLiteral("fusermount"), {QStringLiteral("-u"), disk}) != 0)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), disk});
        if (!daemon.waitForFinished(5000))
            daemon.kill();
    });
    *note = QStringLiteral("fusefat stopped with SIGSTOP (pid %1) under %2").arg(pid).arg(disk);
    return runChild({QStringLiteral("--dead"), disk});
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == u"--type")
        return typeLocal(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (mode == u"--dead" || mode == u"--double")
        return typeDead(argc, argv, QString::fromLocal8Bit(argv[2]), mode == u"--double");

    QCoreApplication app(argc, argv);
    QTemporaryDir base(QDir::tempPath() + QStringLiteral("/bench_fields-XXXXXX"));
    const QString path = localPath(base);
    const QStringList keystrokes =
        runChild({QStringLiteral("--type"), path}).split(u' ', Qt::SkipEmptyParts);
    QString note;
    const QString dead = deadMount(base, &note);
    std::printf("typed: %s (%lld characters, 3 times)\n", qPrintable(path),
                static_cast<long long>(path.size()));
    std::printf("dead mount: %s\n", qPrintable(note));
    if (keystrokes.size() != 2 || dead.isEmpty()) {
        std::printf("a measuring window failed or did not end in time\n");
        return 1;
    }
    std::printf("keystroke median %s ms, slowest %s ms, dead mount %s ms\n",
                qPrintable(keystrokes[0]), qPrintable(keystrokes[1]), qPrintable(dead));
    return 0;
}
