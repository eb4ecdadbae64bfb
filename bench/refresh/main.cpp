// Times the refresh of a large tree (listing and classification through the core, headless)
// against rsync's dry run on the same two trees, and compares their peak memory.
//
//   bench_refresh [--files N] [--work DIR]
//                                  builds the trees of N files (100,000 by default) in a
//                                  temporary folder beside /tmp, or once in DIR, where they are
//                                  kept for the next run with the same N; reports
//   bench_refresh --build DIR      only builds DIR/src and DIR/dst, for profiling by hand
//   bench_refresh --measure SRC DST   the core's side alone
//
// Each side runs in its own process, so that its peak resident size (ru_maxrss from wait4)
// is its own: the core's measurement is this program run again with --measure.

#include "compare/comparison.h"
#include "compare/refreshhost.h"
#include "project/project.h"
#include "project/userprefs.h"
#include "window.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kFolders = 2000;
constexpr int kMaxDepth = 6;
constexpr time_t kBaseTime = 1'700'000'000;

// The window's part, reduced to keeping the last status text.
class QuietHost : public RefreshHost {
public:
    void setStatusText(const QString &text) override { m_last = text; }
    void processPendingInput() override {}
    void showBusyCursor() override {}
    void restoreCursor() override {}
    BoxButton message(BoxKind, const QString &, const BoxButtons &buttons) override
    {
        return buttons.last();
    }
    void showSummary() override {}
    void updateCommandStates() override {}

private:
    QString m_last;
};

bool makeFile(const QByteArray &path, off_t size, time_t modified)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const struct timespec times[2] = {{modified, 0}, {modified, 0}};
    // Sparse: the comparison never reads contents, and neither does rsync's quick check.
    const bool ok = ::ftruncate(fd, size) == 0 && ::futimens(fd, times) == 0;
    return ::close(fd) == 0 && ok;
}

// Source: files of 0 to 8 KiB in folders up to kMaxDepth deep, mixed-case and a few unicode
// names. Destination: a quarter identical, a quarter older, a quarter newer, a quarter missing.
bool buildTrees(const QByteArray &src, const QByteArray &dst, int files)
{
    QRandomGenerator random(20240310);
    std::vector<QByteArray> folders{QByteArray()};
    std::vector<int> depths{0};
    const char *folderNames[] = {"Dossier_", "docs", "Été-", "Archive", "projet_", "Données"};
    while (int(folders.size()) < kFolders) {
        const int parent = int(random.bounded(quint32(folders.size())));
        if (depths[size_t(parent)] >= kMaxDepth)
            continue;
        const QByteArray folder = folders[size_t(parent)] + '/' + folderNames[folders.size() % 6] +
                                  QByteArray::number(qulonglong(folders.size()));
        if (::mkdir(QByteArray(src + folder).constData(), 0755) != 0 ||
            ::mkdir(QByteArray(dst + folder).constData(), 0755) != 0)
            return false;
        folders.push_back(folder);
        depths.push_back(depths[size_t(parent)] + 1);
    }
    const char *fileNames[] = {"Rapport_%d.PDF", "photo%d.jpg",     "Notes-%d.txt",
                               "données_%d.csv", "ÉTÉ%d.doc",       "mixedCase%d.Txt",
                               "README%d.md",    "Übersicht%d.xlsx"};
    for (int i = 0; i < files; ++i) {
        const QByteArray &folder = folders[random.bounded(quint32(folders.size()))];
        char name[64];
        std::snprintf(name, sizeof name, fileNames[i % 8], i);
        const QByteArray relative = folder + '/' + name;
        const off_t size = off_t(random.bounded(8193));
        const time_t modified = kBaseTime + time_t(random.bounded(86400 * 365));
        if (!makeFile(src + relative, size, modified))
            return false;
        switch ((i / 8) % 4) { // not i % 4: every name pattern gets every case
        case 0:
            if (!makeFile(dst + relative, size, modified))
                return false;
            break;
        case 1:
            if (!makeFile(dst + relative, size, modified - 3600))
                return false;
            break;
        case 2:
            if (!makeFile(dst + relative, size, modified + 3600))
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

// The core's side, in its own process: prints the best time and the rows.
int measure(const QString &src, const QString &dst)
{
    TProject project;
    project.SrcPath = src;
    project.DestPath = dst;
    project.PathRecursive = true;
    UserPrefs prefs;
    QuietHost host;
    Comparison comparison(project, prefs, host);
    qint64 best = std::numeric_limits<qint64>::max();
    qint64 bestListing = 0;
    for (int run = 0; run <= kRuns; ++run) { // run 0 warms the caches
        QElapsedTimer timer;
        timer.start();
        comparison.ListSourceFolder();
        const qint64 listing = timer.nsecsElapsed();
        comparison.ClassifyFileList();
        const qint64 elapsed = timer.nsecsElapsed();
        if (run > 0 && elapsed < best) {
            best = elapsed;
            bestListing = listing;
        }
    }
    std::printf("%lld %d %d %lld\n", static_cast<long long>(best), comparison.fileList().count(),
                comparison.filesToCopyCount(), static_cast<long long>(bestListing));
    return 0;
}

struct ChildResult {
    bool ok = false;
    qint64 ns = 0;
    long maxRssKiB = 0;
    QByteArray output;
};

// Empties the kernel's caches of files, names and inodes where this process may (as root), so
// that each side starts from the same state and warms it with its run 0: caches filled by other
// work (copies of large trees kept by another benchmark) otherwise evict the trees' inodes
// during one side's runs and not the other's. False when it may not.
bool emptyKernelCaches()
{
    ::sync();
    QFile control(QStringLiteral("/proc/sys/vm/drop_caches"));
    return control.open(QIODevice::WriteOnly) && control.write("3\n") == 2;
}

// Runs a program, its output kept or sent to /dev/null; the time is measured around fork and
// wait.
ChildResult runChild(const std::vector<QByteArray> &arguments, bool keepOutput)
{
    ChildResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return result;
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid < 0)
        return result;
    if (pid == 0) {
        const int out = keepOutput ? pipeFds[1] : ::open("/dev/null", O_WRONLY);
        ::dup2(out, STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char *> argv;
        for (const QByteArray &argument : arguments)
            argv.push_back(const_cast<char *>(argument.constData()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        result.output.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    result.ns = timer.nsecsElapsed();
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.maxRssKiB = usage.ru_maxrss;
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && QByteArray(argv[1]) == "--measure")
        return measure(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]));
    if (argc == 4 && QByteArray(argv[1]) == "--window")
        return measureWindow(argc, argv, QFile::decodeName(argv[2]), QFile::decodeName(argv[3]),
                             kRuns);

    if (argc == 3 && QByteArray(argv[1]) == "--build") {
        const QByteArray root = argv[2];
        return ::mkdir(QByteArray(root + "/src").constData(), 0755) == 0 &&
                       ::mkdir(QByteArray(root + "/dst").constData(), 0755) == 0 &&
                       buildTrees(root + "/src", root + "/dst", 100000)
                   ? 0
                   : 1;
    }
    int files = 100000;
    QString work;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (QByteArray(argv[i]) == "--files")
            files = std::atoi(argv[i + 1]);
        else if (QByteArray(argv[i]) == "--work")
            work = QFile::decodeName(argv[i + 1]);
    }
    QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/bench_refresh-XXXXXX"));
    if (!temporary.isValid())
        return 1;
    const QString root =
        work.isEmpty() ? temporary.path() : work + QStringLiteral("/refresh-%1").arg(files);
    const QByteArray src = QFile::encodeName(root + QStringLiteral("/src"));
    const QByteArray dst = QFile::encodeName(root + QStringLiteral("/dst"));
    const QString marker = root + QStringLiteral(".done");
    if (work.isEmpty() || !QFile::exists(marker)) {
        if (!work.isEmpty())
            std::system(QByteArray("rm -rf '" + QFile::encodeName(root) + "'").constData());
        QDir().mkpath(root);
        ::mkdir(src.constData(), 0755);
        ::mkdir(dst.constData(), 0755);
        std::printf("building %d files in %d folders under %s\n", files, kFolders,
                    root.toLocal8Bit().constData());
        std::fflush(stdout);
        if (!buildTrees(src, dst, files)) {
            std::perror("building the trees");
            return 1;
        }
        if (!work.isEmpty())
            QFile(marker).open(QIODevice::WriteOnly);
    }

    const QByteArray self =
        QFile::encodeName(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    const bool emptied = emptyKernelCaches();
    std::printf("kernel caches emptied before each side: %s\n", emptied ? "yes" : "no (not root)");
    const ChildResult ours = runChild({self, "--measure", src, dst}, true);
    const QList<QByteArray> figures = ours.output.trimmed().split(' ');
    if (!ours.ok || figures.size() != 4) {
        std::fprintf(stderr, "the measurement failed\n");
        return 1;
    }
    const double oursMs = figures[0].toLongLong() / 1e6;
    const int rows = figures[1].toInt();

    double rsyncMs = std::numeric_limits<double>::max();
    long rsyncRss = 0;
    if (emptied)
        emptyKernelCaches();
    for (int run = 0; run <= kRuns; ++run) {
        const ChildResult rsync =
            runChild({"rsync", "-a", "-n", "--itemize-changes", src + '/', dst + '/'}, false);
        if (!rsync.ok) {
            std::fprintf(stderr, "rsync failed\n");
            return 1;
        }
        if (run > 0)
            rsyncMs = std::min(rsyncMs, rsync.ns / 1e6);
        rsyncRss = std::max(rsyncRss, rsync.maxRssKiB);
    }
    if (emptied)
        emptyKernelCaches();
    const ChildResult window = runChild({self, "--window", src, dst}, true);
    const QList<QByteArray> windowFigures = window.output.trimmed().split(' ');
    if (!window.ok || windowFigures.size() != 2) {
        std::fprintf(stderr, "the window measurement failed\n");
        return 1;
    }
    const double windowMs = windowFigures[0].toLongLong() / 1e6;

    // Done by hand: QTemporaryDir's removal is slow on 175,000 files.
    if (work.isEmpty())
        std::system(QByteArray("rm -rf '" + temporary.path().toLocal8Bit() + "'").constData());

    std::printf("rows due for copying: %s of %d\n", figures[2].constData(), rows);
    std::printf("tandrimo: listing %.0f ms, classification %.0f ms\n",
                figures[3].toLongLong() / 1e6, oursMs - figures[3].toLongLong() / 1e6);
    std::printf("peak resident size: tandrimo %.1f MiB, rsync %.1f MiB (largest process)\n",
                ours.maxRssKiB / 1024.0, rsyncRss / 1024.0);
    std::printf("window ratio %.2f (window %.0f ms, core %.0f ms)\n", windowMs / oursMs, windowMs,
                oursMs);
    std::printf("refresh ratio %.2f (tandrimo %.0f ms, rsync %.0f ms, %d rows, peak %.0f MiB)\n",
                oursMs / rsyncMs, oursMs, rsyncMs, rows, ours.maxRssKiB / 1024.0);
    return 0;
}
