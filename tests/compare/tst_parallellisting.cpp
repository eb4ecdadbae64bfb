#include "support/childprocess.h"
#include "support/refreshrecorder.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

// The listing on two threads against the same listing on one: the same rows, in the same
// order, with the same bytes, sizes, error rows and status messages, also when Stop cuts it.

namespace {

constexpr time_t kTime = 1'700'000'000;

// Writes a file of that many bytes at a path of raw bytes below root, making its folders.
bool writeRaw(const QByteArray &root, const QByteArray &relative, int size, time_t time)
{
    for (qsizetype slash = relative.indexOf('/'); slash >= 0;
         slash = relative.indexOf('/', slash + 1))
        ::mkdir(QByteArray(root + '/' + relative.left(slash)).constData(), 0755);
    const int fd =
        ::open(QByteArray(root + '/' + relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const struct timespec times[2] = {{time, 0}, {time, 0}};
    const bool made = fd >= 0 && ::ftruncate(fd, size) == 0 && ::futimens(fd, times) == 0;
    return fd >= 0 && ::close(fd) == 0 && made;
}

// Names the collation cannot order by their folders alone (folders differing only by case or
// accent), and names it can; both with bytes that are not UTF-8, prefixes shared by files and
// folders, a deep chain and a folder made unreadable. Every other file has a destination twin,
// older, newer or the same.
QList<QByteArray> treeFiles(bool interleaved)
{
    QList<QByteArray> files{
        "a",    "a b",       "a-b",          "a.b",         "a b.d/x",       "a-b.d/y",
        "ab/b", "b\xff.txt", "b\xfe/in.txt", "b\xfe/sub/z", "caf\xc3\xa9/1", "locked/in.txt",
        "Zz",   "zz.d/deep"};
    QByteArray deep = "deep";
    for (int i = 0; i < 40; ++i)
        deep += "/l" + QByteArray::number(i % 3);
    files << deep + "/f.txt";
    if (interleaved)
        files << "A/B2"
              << "A b/d"
              << "e/2"
              << "\xc3\xa9/1"
              << "E.TXT"
              << "e.txt"
              << "\xc3\x89/3";
    return files;
}

bool buildTree(const TestTree &tree, bool interleaved)
{
    const QByteArray src = QFile::encodeName(tree.path("src"));
    const QByteArray dst = QFile::encodeName(tree.path("dst"));
    ::mkdir(src.constData(), 0755);
    ::mkdir(dst.constData(), 0755);
    int n = 0;
    for (const QByteArray &file : treeFiles(interleaved)) {
        ++n;
        if (!writeRaw(src, file, n * 7, kTime + n) ||
            (n % 4 != 0 && !writeRaw(dst, file, n * 7, kTime + n + (n % 4 - 2) * 3600)))
            return false;
    }
    return true;
}

// Names that are not UTF-8 are beyond QDir's removal: rm removes them.
void removeBoth(const TestTree &tree)
{
    tree.setMode("src/locked", 0755);
    QProcess::execute("rm", {"-rf", tree.path("src"), tree.path("dst")});
}

// Every row as the list holds it, then the counts; after a pass, the verdicts too.
QStringList dump(const Fixture &f)
{
    QStringList lines;
    const FileList &list = f.comparison.fileList();
    for (int i = 0; i < list.count(); ++i) {
        const FileEntry &row = list.row(i);
        lines << QString("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                     .arg(row.statusCode)
                     .arg(row.files, QString::fromLatin1(row.rawFiles.toHex()))
                     .arg(row.sized ? row.listedSize : -2)
                     .arg(row.listedMtimeMs)
                     .arg(row.statusText, list.statusDetail(i))
                     .arg(row.dtSrc, 0, 'f', 6)
                     .arg(row.dtDest, 0, 'f', 6);
    }
    lines << QString("rows %1, unread %2, to copy %3")
                 .arg(list.count())
                 .arg(f.comparison.unreadableFolderCount())
                 .arg(f.comparison.filesToCopyCount());
    return lines;
}

} // namespace

class ParallelListingTest : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    // The listing, its status messages, then the pass that uses what the listing read of the
    // destination, as another user so that the locked folder stays unread.
    void sameRowsAsOneThread_data()
    {
        QTest::addColumn<bool>("interleaved");
        QTest::addColumn<QLocale::Language>("language");
        QTest::addColumn<bool>("recursive");
        QTest::newRow("folders in order, French") << false << QLocale::French << true;
        QTest::newRow("folders interleaved, French") << true << QLocale::French << true;
        QTest::newRow("folders interleaved, C") << true << QLocale::C << true;
        QTest::newRow("without sub-folders") << true << QLocale::French << false;
    }
    void sameRowsAsOneThread()
    {
        SKIP_THREADED_CHILD_UNDER_TSAN();
        QFETCH(bool, interleaved);
        QFETCH(QLocale::Language, language);
        QFETCH(bool, recursive);
        TestTree tree;
        QVERIFY(buildTree(tree, interleaved));
        const auto removeTree = qScopeGuard([&tree] { removeBoth(tree); });
        const auto listing = [&](bool parallel) -> QByteArray {
            QLocale::setDefault(QLocale(language));
            const QByteArray locked = QFile::encodeName(tree.path("src/locked"));
            if (!becomeUnprivileged(tree.root()) || ::chmod(locked.constData(), 0) != 0)
                return "no fault";
            Fixture f(tree.path("src"), tree.path("dst"), recursive);
            f.comparison.ParallelListing = parallel;
            f.comparison.ListSourceFolder();
            QStringList lines = f.statuses() + dump(f);
            f.comparison.ClassifyFileList();
            return (lines + dump(f)).join('\n').toUtf8();
        };
        const ChildOutcome one = runInChild([&] { return listing(false); });
        const ChildOutcome two = runInChild([&] { return listing(true); });
        QVERIFY(one.exited && two.exited);
        QVERIFY2(one.output != "no fault", "the folder could not be made unreadable");
        QCOMPARE(QString::fromUtf8(two.output).split('\n'),
                 QString::fromUtf8(one.output).split('\n'));
        QCOMPARE(one.output.contains("|Erreur : dossier illisible (accès refusé)|"), recursive);
    }

    // Stop seen after the nth status message: the parallel listing keeps what the one-thread
    // listing keeps, an in-order part of the full list, every row whole, nothing to copy.
    void stopKeepsAConsistentPart_data()
    {
        QTest::addColumn<int>("stopAt");
        for (int n : {1, 2, 3, 5, 9, 20, 40})
            QTest::addRow("after message %d", n) << n;
    }
    void stopKeepsAConsistentPart()
    {
        QFETCH(int, stopAt);
        QLocale::setDefault(QLocale(QLocale::French));
        TestTree tree;
        const auto removeTree = qScopeGuard([&tree] { removeBoth(tree); });
        QVERIFY(buildTree(tree, true));
        const auto refresh = [&](bool parallel, int stop) {
            auto f = std::make_unique<Fixture>(tree.path("src"), tree.path("dst"), true);
            f->comparison.ParallelListing = parallel;
            int seen = 0;
            f->host.onStatus = [&f, &seen, stop](const QString &) {
                if (++seen == stop)
                    f->comparison.StopRequested = true;
            };
            f->refresh();
            return f;
        };
        const auto full = refresh(true, -1);
        const auto one = refresh(false, stopAt);
        const auto two = refresh(true, stopAt);
        QCOMPARE(two->statuses(), one->statuses());
        QCOMPARE(dump(*two), dump(*one));
        QVERIFY(two->comparison.StopRequested);
        QCOMPARE(two->comparison.filesToCopyCount(), 0);
        QVERIFY(two->comparison.fileList().count() < full->comparison.fileList().count());
        int next = 0;
        const FileList &fullList = full->comparison.fileList();
        for (int i = 0; i < two->comparison.fileList().count(); ++i) {
            const FileEntry &row = two->comparison.fileList().row(i);
            while (next < fullList.count() && (fullList.row(next).files != row.files ||
                                               fullList.row(next).rawFiles != row.rawFiles))
                ++next;
            QVERIFY2(next < fullList.count(), qPrintable(row.files + " out of order"));
            QVERIFY(!row.classified && row.sized);
            QCOMPARE(row.listedSize, fullList.row(next).listedSize);
        }
    }
};

TANDRIMO_TEST(ParallelListingTest)
#include "tst_parallellisting.moc"
