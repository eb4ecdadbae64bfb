// Times the copy run through the core (every row due, classified, into an empty destination on
// the same file system; then again with verification) against `cp -a` and
// `rsync -a --whole-file` of the same trees, and the small tree's run through the main window
// against the core's, each the best and the median of its rounds (3 unless --repeats); the
// verification against `diff -r --brief` of the same two trees with both out of the page cache,
// and the comparison the run makes, timed on its own, against `cmp` of each large file.
// Each timed run starts after a sync(), so that it never pays for another's write-back, and every
// tool leaves its copy in the page cache only, except ours, which flushes before each rename (the
// figures of that flush are printed too, and cp -a followed by sync, which pays the same disk).
// Nothing is deleted until the end: on ext4 a mass deletion slows the creation of files for
// minutes after it, so leave a few minutes after an earlier run's clean-up before measuring.
// The medians show how far the figures swing: any other writer of the same file system (a
// build, another benchmark) lands in our flushes and in the sync of cp -a then sync.
//
//   bench_copy [--small] [--repeats N] [work folder]
//                                 default: a folder in the system's temporary folder; --small:
//                                 trees a fiftieth of the size, one round (a check that it runs)
//   bench_copy --once small|large [verify] [noflush] [foreground] [work folder]
//                                 one copy run of a tree made earlier, for profiling by hand;
//                                 its copy is left in place (see runOnce)

#include "compare/filelist.h"
#include "compare/statuscode.h"
#include "platform/filecompare.h"
#include "sync/copyrun.h"
#include "sync/volume.h"
#include "trees.h"
#include "window.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <iterator>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

int kRepeats = 3;

class QuietHost : public CopyRunHost {
public:
    void setBusyCursor(bool) override {}
    void setRowClickHandler(bool) override {}
    void setCurrentRow(int) override {}
    void clearCurrentRow(bool) override {}
    void setRowStatusText(int, const QString &) override {}
    void setRowError(int, const QString &, const QString &) override { ++errors; }
    void setStatusPanel(int, const QString &) override {}
    void setProgress(int) override {}
    BoxButton message(BoxKind, const QString &, const BoxButtons &) override
    {
        ++boxes;
        return BoxButton::Abandon;
    }
    int errors = 0;
    int boxes = 0;
};

void removeTree(const QString &path)
{
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), path});
}

// Four removals at once, then a sync.
void removeTrees(const QStringList &paths)
{
    constexpr int kAtOnce = 4;
    std::vector<std::unique_ptr<QProcess>> running;
    for (const QString &path : paths) {
        if (running.size() == kAtOnce) {
            running.front()->waitForFinished(-1);
            running.erase(running.begin());
        }
        running.push_back(std::make_unique<QProcess>());
        running.back()->start(QStringLiteral("rm"), {QStringLiteral("-rf"), path});
    }
    for (const auto &process : running)
        process->waitForFinished(-1);
    ::sync();
}

// Best of kRepeats, each after prepare() and a sync(), neither of them timed.
qint64 best(const std::function<void()> &prepare, const std::function<void()> &run,
            int repeats = kRepeats)
{
    qint64 fastest = -1;
    for (int i = 0; i < repeats; ++i) {
        prepare();
        ::sync();
        QElapsedTimer timer;
        timer.start();
        run();
        const qint64 ms = timer.elapsed();
        fastest = fastest < 0 ? ms : std::min(fastest, ms);
    }
    return fastest;
}

qint64 once(const std::function<void()> &prepare, const std::function<void()> &run)
{
    return best(prepare, run, 1);
}

void runTool(const QString &program, const QStringList &arguments)
{
    if (QProcess::execute(program, arguments) != 0)
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
}

struct Copier {
    QString src;
    QString dest;
    std::vector<QString> files;
    FileList list;

    Copier(const QString &source, const QString &destination, std::vector<QString> relative)
        : src(source), dest(destination), files(std::move(relative))
    {
        list.reserve(int(files.size()));
        for (const QString &file : files) {
            FileEntry &entry = list.append();
            entry.files = file;
            entry.statusCode = StatusToCopy;
            entry.classified = true;
        }
    }

    void run(bool verify, bool flush = true, int commitFiles = CopyRunSettings().commitFiles,
             bool background = true)
    {
        CopyRunSettings settings;
        settings.SrcPath = src;
        settings.DestPath = dest;
        settings.FileCompareCopy = verify;
        settings.FilesToCopyCount = int(files.size());
        settings.flush = flush;
        settings.commitFiles = commitFiles;
        settings.commitInBackground = background;
        std::atomic<bool> stop{false};
        QuietHost host;
        CopyRun copyRun(CopyRunSnapshot::take(list), settings, stop, host);
        copyRun.JvThread1Execute();
        if (copyRun.end() != CopyRunEnd::Completed || host.errors > 0)
            std::fprintf(stderr, "copy run: %d errors, %d boxes\n", host.errors, host.boxes);
    }
    // Every run copies into a folder never used before: a folder emptied just before would
    // make every tool pay for the file system's scan past recently deleted inodes (ext4 does
    // not reuse them at once), which drowns the differences between tools. The copies go
    // together once every figure is printed (removeTrees).
    QString base;
    int used = 0;
    // The copy before leaves the page cache first: the kept copies of the large tree would
    // otherwise outgrow the memory, and the later rounds would run under its reclaim, with the
    // origin's pages evicted, while the first did not.
    void absent()
    {
        if (used > 0)
            dropCaches(false);
        if (base.isEmpty())
            base = dest;
        dest = base + u'-' + QString::number(++used);
        removeTree(dest);
    }
    void fresh()
    {
        absent();
        QDir().mkpath(dest);
    }
    // The copies, removed a few at a time: one removal alone waits on each deletion in turn
    // (about a thousand files a second here, where the file system discards freed blocks).
    QStringList copies() const
    {
        QStringList folders;
        for (int i = 1; i <= used; ++i)
            folders << base + u'-' + QString::number(i);
        return folders;
    }

    // cmp of every copied file (or of the large ones), one process per file as a script would
    // run it.
    void cmpAll(bool largeOnly = false) const
    {
        for (const QString &file : files) {
            if (largeOnly && !file.endsWith(u".big"))
                continue;
            const QByteArray a = QFile::encodeName(src + file);
            const QByteArray b = QFile::encodeName(dest + file);
            const char *argv[] = {"cmp", "-s", a.constData(), b.constData(), nullptr};
            pid_t pid = 0;
            int status = 0;
            if (::posix_spawnp(&pid, "cmp", nullptr, nullptr, const_cast<char **>(argv), environ) !=
                    0 ||
                ::waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
                std::fprintf(stderr, "cmp found a difference in %s\n", qPrintable(file));
        }
    }

    // diff -r --brief of the two trees, as a script would check a copy.
    void diff() const
    {
        if (QProcess::execute(QStringLiteral("diff"),
                              {QStringLiteral("-r"), QStringLiteral("--brief"), src, dest}) != 0)
            std::fprintf(stderr, "diff found a difference\n");
    }
    // Every file of both trees (or of the copy only) out of the page cache, once written back,
    // so that the next reader reads them from the disk.
    void dropCaches(bool origin = true) const
    {
        ::sync();
        for (const QString &file : files) {
            for (const QString &root : {origin ? src : QString(), dest}) {
                if (root.isEmpty())
                    continue;
                const int fd = ::open(QFile::encodeName(root + file).constData(),
                                      O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
                if (fd < 0)
                    continue;
                (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
                ::close(fd);
            }
        }
    }

    // The verification the run makes of each copy, on its own: the same comparison of the
    // complete files, both in the page cache as they are during the run.
    void verifyAll(bool largeOnly = false) const
    {
        for (const QString &file : files) {
            if (largeOnly && !file.endsWith(u".big"))
                continue;
            if (platform::compareFiles(QFile::encodeName(src + file),
                                       QFile::encodeName(dest + file)) !=
                platform::FileComparison::Equal)
                std::fprintf(stderr, "verification found a difference in %s\n", qPrintable(file));
        }
    }
};

double ratio(qint64 a, qint64 b)
{
    return b > 0 ? double(a) / double(b) : 0.0;
}

template <typename T> T medianOf(std::vector<T> values)
{
    if (values.empty())
        return T(-1);
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Every round of one tool, in milliseconds, in round order; -1 for a round that failed.
struct Times {
    std::vector<qint64> runs;
    std::vector<qint64> done() const
    {
        std::vector<qint64> times;
        std::copy_if(runs.begin(), runs.end(), std::back_inserter(times),
                     [](qint64 ms) { return ms >= 0; });
        return times;
    }
    qint64 best() const
    {
        const std::vector<qint64> times = done();
        return times.empty() ? -1 : *std::min_element(times.begin(), times.end());
    }
    qint64 median() const { return medianOf(done()); }
    qint64 worst() const
    {
        const std::vector<qint64> times = done();
        return times.empty() ? -1 : *std::max_element(times.begin(), times.end());
    }
};

// The faster of two tools in each round.
Times fasterOf(const Times &a, const Times &b)
{
    Times faster;
    for (std::size_t i = 0; i < std::min(a.runs.size(), b.runs.size()); ++i) {
        const qint64 x = a.runs[i];
        const qint64 y = b.runs[i];
        faster.runs.push_back(x < 0 ? y : y < 0 ? x : std::min(x, y));
    }
    return faster;
}

// a against b within each round where both ran, then their median: the disk's speed changes
// from round to round (by three times, at worst, here), and falls within a round on both alike.
std::string perRound(const Times &a, const Times &b)
{
    std::vector<double> each;
    std::string text = "per round";
    for (std::size_t i = 0; i < std::min(a.runs.size(), b.runs.size()); ++i) {
        if (a.runs[i] < 0 || b.runs[i] <= 0)
            continue;
        each.push_back(ratio(a.runs[i], b.runs[i]));
        char figure[16];
        std::snprintf(figure, sizeof figure, " %.2f", each.back());
        text += figure;
    }
    char median[32];
    std::snprintf(median, sizeof median, ", median %.2f", medianOf(each));
    return text + median;
}

// "best/median" of a tool, in milliseconds.
std::string bestMedian(const Times &t)
{
    return std::to_string(t.best()) + '/' + std::to_string(t.median());
}

// Ratios of the bests and of the medians.
std::string ratios(const Times &a, qint64 bestB, qint64 medianB)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f best, %.2f median", ratio(a.best(), bestB),
                  ratio(a.median(), medianB));
    return text;
}
std::string ratios(const Times &a, const Times &b)
{
    return ratios(a, b.best(), b.median());
}

struct Figures {
    Times ours, verified, cp, rsync;
    Times cpSynced; // cp -a, then sync: the copy on disk, as ours is when the run ends
    Times window;   // the small tree through the main window
    qint64 unflushed = 0, foreground = 0; // one run each
};

// Every round of run, each with the files of both trees read from the disk.
Times cold(const Copier &copier, const std::function<void()> &run)
{
    Times times;
    for (int i = 0; i < kRepeats; ++i) {
        copier.dropCaches();
        QElapsedTimer timer;
        timer.start();
        run();
        times.runs.push_back(timer.elapsed());
    }
    return times;
}

// The copy of the small tree through the window, in a process of its own: milliseconds, or -1.
qint64 windowCopy(Copier &copier)
{
    copier.fresh();
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--window"), copier.src, copier.dest});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return -1;
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 3 || figures[1] != figures[2]) {
        std::fprintf(stderr, "the window's copy run did not copy every file\n");
        return -1;
    }
    return figures[0].toLongLong();
}

// The tools take turns within each round, so that a change of the machine's load between
// rounds falls on all of them alike; the best and the median round of each are printed.
Figures measure(Copier &copier, bool withWindow)
{
    Figures f;
    const QString srcSlash = copier.src + u'/';
    struct Variant {
        Times *result;
        std::function<void()> prepare;
        std::function<void()> run;
        // When set, the run times itself (the window's, in a process of its own).
        std::function<qint64()> timedRun = {};
    };
    std::vector<Variant> variants = {
        {&f.ours, [&] { copier.fresh(); }, [&] { copier.run(false); }},
        {&f.cp, [&] { copier.absent(); },
         [&] {
             runTool(QStringLiteral("cp"), {QStringLiteral("-a"), copier.src, copier.dest});
         }},
        {&f.rsync, [&] { copier.absent(); },
         [&] {
             runTool(QStringLiteral("rsync"), {QStringLiteral("-a"), QStringLiteral("--whole-file"),
                                               srcSlash, copier.dest + u'/'});
         }},
        {&f.verified, [&] { copier.fresh(); }, [&] { copier.run(true); }},
        {&f.cpSynced, [&] { copier.absent(); },
         [&] {
             runTool(QStringLiteral("cp"), {QStringLiteral("-a"), copier.src, copier.dest});
             ::sync();
         }},
    };
    // The window's run right after the core's: each tool's copies fill the disk a little more,
    // and the runs later in a round find it slower, which is not the window's doing.
    if (withWindow)
        variants.insert(variants.begin() + 1,
                        {&f.window, [] {}, {}, [&] { return windowCopy(copier); }});
    for (int round = 0; round < kRepeats; ++round) {
        for (const Variant &variant : variants) {
            const qint64 ms =
                variant.timedRun ? variant.timedRun() : once(variant.prepare, variant.run);
            variant.result->runs.push_back(ms);
        }
    }
    f.unflushed = once([&] { copier.fresh(); }, [&] { copier.run(false, false); });
    f.foreground = once([&] { copier.fresh(); },
                        [&] { copier.run(false, true, CopyRunSettings().commitFiles, false); });
    return f;
}

} // namespace

int runOnce(QStringList arguments)
{
    const QString tree = arguments.takeFirst();
    const bool verify = arguments.removeAll(QStringLiteral("verify")) > 0;
    const bool flush = arguments.removeAll(QStringLiteral("noflush")) == 0;
    const bool background = arguments.removeAll(QStringLiteral("foreground")) == 0;
    const QString work =
        arguments.value(0, QDir::tempPath() + QStringLiteral("/tandrimo-bench-copy"));
    Copier copier(work + u'/' + tree, work + u'/' + tree + QStringLiteral("-copy"), {});
    Copier sorted(copier.src, copier.dest, filesOf(copier.src));
    // A folder of its own, never one left by an earlier run: removing that would be a deletion.
    sorted.base = sorted.dest;
    while (QFileInfo::exists(sorted.base + u'-' + QString::number(sorted.used + 1)))
        ++sorted.used;
    sorted.fresh();
    ::sync();
    QElapsedTimer timer;
    timer.start();
    sorted.run(verify, flush, CopyRunSettings().commitFiles, background);
    const qint64 ms = timer.elapsed();
    // Left in place: on ext4, a mass deletion slows every file creation for minutes after it
    // (the allocator steps over recently freed inodes), which would skew the next measure.
    std::printf("%s: %zu files in %lld ms, copied into %s\n", qPrintable(tree), sorted.files.size(),
                static_cast<long long>(ms), qPrintable(sorted.dest));
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc == 4 && QByteArray(argv[1]) == "--window")
        return measureWindowCopy(argc, argv, QFile::decodeName(argv[2]),
                                 QFile::decodeName(argv[3]));
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) == u"--once" && arguments.size() >= 2)
        return runOnce(arguments.mid(1));
    // --small: trees a fiftieth of the size and one round, to prove the bench still runs.
    const bool smallRun = arguments.value(0) == u"--small";
    if (smallRun) {
        kRepeats = 1;
        arguments = arguments.mid(1);
    }
    if (arguments.value(0) == u"--repeats" && arguments.size() >= 2) {
        kRepeats = std::max(1, arguments.value(1).toInt());
        arguments = arguments.mid(2);
    }
    const QString work =
        arguments.value(0, QDir::tempPath() + QStringLiteral("/tandrimo-bench-copy"));
    QDir().mkpath(work);

    TreeShape small{100000, 2000, 6, 8 * 1024, 0, 0};
    TreeShape large{10000, 200, 6, 8 * 1024, 8, qint64(2) << 30};
    if (smallRun) {
        small = {2000, 40, 6, 8 * 1024, 0, 0};
        large = {200, 4, 6, 8 * 1024, 4, qint64(64) << 20};
    }

    // Every copy is kept until the end, plus the origins, plus room to spare: each round makes
    // one copy per tool and variant (six at most), and a few single runs follow.
    const int kCopies = 6 * kRepeats + 5;
    const qint64 smallNeed = qint64(small.files) * 8 * 1024;
    const qint64 spare = qint64(1) << 30;
    const qint64 available = QStorageInfo(work).bytesAvailable();
    std::printf("work folder %s, %lld MiB available\n", qPrintable(work),
                static_cast<long long>(available >> 20));
    const qint64 largeRoom = (available - (kCopies + 1) * smallNeed - spare) / (kCopies + 1);
    if (largeRoom < large.largeBytes) {
        large.largeBytes = std::max<qint64>(0, largeRoom) & ~((qint64(1) << 20) - 1);
        std::printf("not enough space: the large files total %lld MiB instead of 2048\n",
                    static_cast<long long>(large.largeBytes >> 20));
    }

    std::printf("making the trees...\n");
    std::fflush(stdout);
    const QString smallSrc = work + QStringLiteral("/small");
    const QString largeSrc = work + QStringLiteral("/large");
    Copier smallCopier(smallSrc, work + QStringLiteral("/small-copy"), makeTree(smallSrc, small));
    Copier largeCopier(largeSrc, work + QStringLiteral("/large-copy"), makeTree(largeSrc, large));
    if (smallCopier.files.empty() || largeCopier.files.empty())
        return 1;

    // What the free-space query costs, once per file.
    largeCopier.fresh();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 1000; ++i)
        (void)TargetFreeSpace(QFile::encodeName(largeCopier.dest));
    const double freeSpaceUs = double(timer.nsecsElapsed()) / 1000.0 / 1000.0;

    std::printf("copying...\n");
    std::fflush(stdout);
    const Figures s = measure(smallCopier, true);
    const Figures l = measure(largeCopier, false);
    const qint64 perFileFlush =
        once([&] { largeCopier.fresh(); }, [&] { largeCopier.run(false, true, 1); });
    largeCopier.fresh();
    largeCopier.run(false);
    const qint64 cmpLarge = best([] {}, [&] { largeCopier.cmpAll(true); });
    const qint64 verifyLarge = best([] {}, [&] { largeCopier.verifyAll(true); });
    // The verification reads each copy back from its disk: against diff -r --brief of both
    // trees, each out of the page cache first, and the run's comparison timed on its own so.
    std::printf("verifying from the disk...\n");
    std::fflush(stdout);
    smallCopier.fresh();
    smallCopier.run(false);
    const Times diffSmall = cold(smallCopier, [&] { smallCopier.diff(); });
    const Times diffLarge = cold(largeCopier, [&] { largeCopier.diff(); });
    const Times verifyColdLarge = cold(largeCopier, [&] { largeCopier.verifyAll(); });
    std::printf("free space query (TargetFreeSpace): %.0f us per file; commits on the worker "
                "itself instead of a thread of their own: small %lld ms, large %lld ms (one run "
                "each)\n",
                freeSpaceUs, static_cast<long long>(s.foreground),
                static_cast<long long>(l.foreground));
    std::printf("flush before rename: small %lld ms with, %lld ms without; large %lld ms with, "
                "%lld ms without; large with a flush per file instead of together %lld ms "
                "(runs without: one each)\n",
                static_cast<long long>(s.ours.best()), static_cast<long long>(s.unflushed),
                static_cast<long long>(l.ours.best()), static_cast<long long>(l.unflushed),
                static_cast<long long>(perFileFlush));
    // What the verification adds to a run: the medians of the runs with and without it.
    const qint64 addedSmall = s.verified.median() - s.ours.median();
    const qint64 addedLarge = l.verified.median() - l.ours.median();
    std::printf("verification in the run (median with minus median without; best %lld/%lld ms): "
                "small %lld ms, large %lld ms; diff -r --brief from the disk (best/median) small "
                "%s ms, large %s ms; the run's comparison alone from the disk, large %s ms; the "
                "large files alone, both in the page cache: tandrimo %lld ms, cmp %lld ms\n",
                static_cast<long long>(s.verified.best() - s.ours.best()),
                static_cast<long long>(l.verified.best() - l.ours.best()),
                static_cast<long long>(addedSmall), static_cast<long long>(addedLarge),
                bestMedian(diffSmall).c_str(), bestMedian(diffLarge).c_str(),
                bestMedian(verifyColdLarge).c_str(), static_cast<long long>(verifyLarge),
                static_cast<long long>(cmpLarge));
    std::printf("window ratio %s, %s (the small tree's copy run through the main window %s ms, "
                "core %s ms, best/median of %zu)\n",
                ratios(s.window, s.ours).c_str(), perRound(s.window, s.ours).c_str(),
                bestMedian(s.window).c_str(), bestMedian(s.ours).c_str(), s.window.done().size());
    std::printf("the copy on disk when it ends, as ours is: cp -a then sync: small %s ms (ratio "
                "%s, %s), large %s ms (ratio %s, %s)\n",
                bestMedian(s.cpSynced).c_str(), ratios(s.ours, s.cpSynced).c_str(),
                perRound(s.ours, s.cpSynced).c_str(), bestMedian(l.cpSynced).c_str(),
                ratios(l.ours, l.cpSynced).c_str(), perRound(l.ours, l.cpSynced).c_str());
    const auto line = [](const char *name, const Figures &f, std::size_t files) {
        std::printf("copy %s ratio %s, %s (best/median: tandrimo %s ms, cp %s ms, rsync %s ms; "
                    "slowest tandrimo %lld ms; %zu files)\n",
                    name,
                    ratios(f.ours, std::min(f.cp.best(), f.rsync.best()),
                           std::min(f.cp.median(), f.rsync.median()))
                        .c_str(),
                    perRound(f.ours, fasterOf(f.cp, f.rsync)).c_str(), bestMedian(f.ours).c_str(),
                    bestMedian(f.cp).c_str(), bestMedian(f.rsync).c_str(),
                    static_cast<long long>(f.ours.worst()), files);
    };
    line("small", s, smallCopier.files.size());
    line("large", l, largeCopier.files.size());
    std::printf("verify ratio small %.2f, large %.2f (what it adds to a run, medians: small %lld "
                "ms, large %lld ms; diff -r --brief of both trees from the disk, medians: small "
                "%lld ms, large %lld ms)\n",
                ratio(addedSmall, diffSmall.median()), ratio(addedLarge, diffLarge.median()),
                static_cast<long long>(addedSmall), static_cast<long long>(addedLarge),
                static_cast<long long>(diffSmall.median()),
                static_cast<long long>(diffLarge.median()));
    std::fflush(stdout);
    // Only now, so that no measured run follows a mass deletion.
    removeTrees(smallCopier.copies() + largeCopier.copies());
    return 0;
}
