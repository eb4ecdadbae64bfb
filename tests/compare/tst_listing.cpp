#include "compare/datetime.h"
#include "platform/temporaryfile.h"
#include "support/childprocess.h"
#include "support/refreshrecorder.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

namespace {

constexpr time_t kSourceTime = 1'700'000'000;

// Makes levels folders of 200-byte names, one in another, below folder, and in the deepest a
// file deep.txt of that time: through descriptors, as no path reaches that deep.
bool makeDeepFile(const QString &folder, int levels, time_t time)
{
    const QByteArray name(200, 'd');
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < levels; ++i) {
        ::mkdirat(fd, name.constData(), 0755);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    const int file = ::openat(fd, "deep.txt", O_WRONLY | O_CREAT, 0644);
    const struct timespec times[2] = {{time, 0}, {time, 0}};
    const bool made = ::write(file, "abc", 3) == 3 && ::futimens(file, times) == 0;
    ::close(file);
    ::close(fd);
    return made;
}

// A date-time value as seconds after the source files' time, "-" for the zero time.
QString timeText(double time)
{
    return time == 0 ? "-"
                     : QString::number(qRound64((time - kUnixEpochDays) * 86400) - kSourceTime);
}

} // namespace

class ListingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    // Files given as "path=size" below src; rows as "files|ext|size".
    void listing_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("case-insensitive order")
            << QStringList{"D.txt=0", "b.txt=0", "C.TXT=0", "a.txt=0", "é.txt=0", "Z.txt=0"}
            << "src" << false << QStringList{"/a.txt|.txt|0 Octets ", "/b.txt|.txt|0 Octets ",
                                             "/C.TXT|.TXT|0 Octets ", "/D.txt|.txt|0 Octets ",
                                             "/é.txt|.txt|0 Octets ", "/Z.txt|.txt|0 Octets "};
        QTest::newRow("names without a dot, and extensions")
            << QStringList{"README=4", ".profile=1536", "archive.tar.gz=1025", "dir.d/noext=1",
                           "dir.d/x.y=2"}
            << "src" << true
            << QStringList{"/.profile|.profile|1,50 KO ", "/archive.tar.gz|.gz|1,00 KO ",
                           "/dir.d/noext||1 Octets ", "/dir.d/x.y|.y|2 Octets ",
                           "/README||4 Octets "};
        QTest::newRow("trailing separator: the same leading one")
            << QStringList{"a.txt=1", "sub/b.txt=1"} << "src/" << true
            << QStringList{"/a.txt|.txt|1 Octets ", "/sub/b.txt|.txt|1 Octets "};
        QTest::newRow("without sub-folders")
            << QStringList{"a.txt=1", "sub/b.txt=1", "sub/deeper/c.txt=1"} << "src" << false
            << QStringList{"/a.txt|.txt|1 Octets "};
        QTest::newRow("depth first, sorted whole")
            << QStringList{"b/x.txt=0", "a/z/y.txt=0", "a.txt=0", "a/w.txt=0"} << "src" << true
            << QStringList{"/a.txt|.txt|0 Octets ", "/a/w.txt|.txt|0 Octets ",
                           "/a/z/y.txt|.txt|0 Octets ", "/b/x.txt|.txt|0 Octets "};
        QTest::newRow("the program's temporary left out, a user's file of its prefix listed")
            << QStringList{"<temporary>=0", QString(platform::kTempPrefix) + "notes.txt=3",
                           "keep.txt=3"}
            << "src" << false
            << QStringList{"/.tandrimo~notes.txt|.txt|3 Octets ", "/keep.txt|.txt|3 Octets "};
    }
    void listing()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, root);
        QFETCH(bool, recursive);
        QFETCH(QStringList, rows);
        TestTree tree;
        tree.makeFolder("src");
        for (const QString &file : files) {
            const QStringList parts = file.split('=');
            if (parts[0] == "<temporary>") {
                QByteArray name;
                const int fd =
                    platform::createTemporaryFile(QFile::encodeName(tree.path("src")), 0644, &name);
                QVERIFY(fd >= 0 && ::close(fd) == 0);
                continue;
            }
            QVERIFY(makeSparseFile(tree.writeFile("src/" + parts[0]), parts[1].toLongLong()));
        }
        Fixture f(tree.path(root), tree.path("dst"), recursive);
        f.comparison.ListSourceFolder();
        // Listed rows are not classified yet: code 0, no text.
        QCOMPARE(f.rows(), rows.replaceInStrings(QRegularExpression("^(.*)$"), "0|\\1|"));
        QCOMPARE(f.host.cursorDepth, 0);
    }

    // Every folder met shows in the status panel, also when sub-folders are not included;
    // links to folders are shown but never entered; a loop or a dangling link is no file.
    void foldersAndLinks()
    {
        TestTree tree;
        tree.writeFile("src/target.txt", "12345");
        tree.writeFile("src/folder/inner.txt");
        for (const auto &[target, name] : {std::pair{"target.txt", "link.txt"},
                                           {"folder", "linkdir.d"},
                                           {"loop.txt", "loop.txt"},
                                           {"missing.txt", "dangling.txt"},
                                           {"/", "root.d"}})
            QVERIFY(QFile::link(target, tree.path(QString("src/") + name)));
        for (bool recursive : {true, false}) {
            Fixture f(tree.path("src"), tree.path("dst"), recursive);
            f.comparison.ListSourceFolder();
            const QStringList files{"/folder/inner.txt", "/link.txt", "/target.txt"};
            QCOMPARE(f.rows(true), recursive ? files : files.mid(1));
            QCOMPARE(f.comparison.fileList().row(recursive ? 1 : 0).fileSize(), "5 Octets ");
            for (const char *folder : {"src/folder", "src/linkdir.d", "src/root.d"})
                QVERIFY(f.statuses().contains(tree.path(folder)));
        }
    }

    // A destination inside the source is never listed as source files, whatever text names
    // it; a destination elsewhere changes nothing.
    void destinationInsideSource_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QStringList>("rows");
        const QStringList without{"/keep/k.txt", "/top.txt"};
        QTest::newRow("same text") << "src/dst" << true << without;
        QTest::newRow("other text") << "src/keep/../dst/." << true << without;
        QTest::newRow("through a link") << "link" << true << without;
        QTest::newRow("elsewhere")
            << "elsewhere" << true
            << QStringList{"/dst/copied.txt", "/dst/deeper/d.txt", "/keep/k.txt", "/top.txt"};
        QTest::newRow("without sub-folders") << "src/dst" << false << QStringList{"/top.txt"};
    }
    void destinationInsideSource()
    {
        QFETCH(QString, destination);
        QFETCH(bool, recursive);
        QFETCH(QStringList, rows);
        TestTree tree;
        for (const char *file :
             {"src/top.txt", "src/keep/k.txt", "src/dst/copied.txt", "src/dst/deeper/d.txt"})
            tree.writeFile(file);
        tree.makeFolder("elsewhere");
        QVERIFY(QFile::link(tree.path("src/dst"), tree.path("link")));
        Fixture f(tree.path("src"), tree.path(destination), recursive);
        f.comparison.ListSourceFolder();
        QCOMPARE(f.rows(true), rows);
    }

    // No folder is left out in silence: one the listing cannot read is an error row in its
    // place, the others are listed and the summary says the list is incomplete; a tree
    // deeper than the path length limit is listed and both its times read. The refresh runs in
    // a child (as another user where a permission must hold) and is followed by a pass that
    // reads both sides afresh. src holds a.txt, open.d/b.txt and locked.d/in.txt.
    void unreadableAndDeepFolders_data()
    {
        QTest::addColumn<QString>("locked"); // made mode 000
        QTest::addColumn<int>("depth");      // levels of 200-byte names above deep.txt
        // "code|files|status text|source time|destination time" (seconds after the source's
        // time), then "unread folders|summary"
        QTest::addColumn<QStringList>("rows");
        const QString unread = "|Erreur : dossier illisible (%1)|-|-";
        QTest::newRow("denied folder")
            << "locked.d" << 0
            << QStringList{"0|/a.txt|A copier|0|-", "-1|/locked.d/" + unread.arg("accès refusé"),
                           "0|/open.d/b.txt|A copier|0|-",
                           "1|2 fichiers à copier / 3 ; liste incomplète : 1 dossier illisible"};
        QTest::newRow("deeper than PATH_MAX")
            << "" << 25
            << QStringList{"0|/a.txt|A copier|0|-",
                           "0|/" + QString(QString(200, 'd') + '/').repeated(25) +
                               "deep.txt|A copier|0|-3600",
                           "0|/locked.d/in.txt|A copier|0|-", "0|/open.d/b.txt|A copier|0|-",
                           "0|4 fichiers à copier / 4"};
    }
    void unreadableAndDeepFolders()
    {
        SKIP_THREADED_CHILD_UNDER_TSAN();
        QFETCH(QString, locked);
        QFETCH(int, depth);
        QFETCH(QStringList, rows);
        TestTree tree;
        // QDir cannot remove what lies beyond the path length limit: rm does.
        const auto removeTree = qScopeGuard([&tree] {
            tree.setMode("src/locked.d", 0755);
            QProcess::execute("rm", {"-rf", tree.path("src"), tree.path("dst")});
        });
        const QDateTime time = QDateTime::fromSecsSinceEpoch(kSourceTime, Qt::UTC);
        for (const char *file : {"src/a.txt", "src/open.d/b.txt", "src/locked.d/in.txt"})
            QVERIFY(!tree.writeFile(file, "abc", time).isEmpty());
        tree.makeFolder("dst");
        QVERIFY(depth == 0 || (makeDeepFile(tree.path("src"), depth, kSourceTime) &&
                               makeDeepFile(tree.path("dst"), depth, kSourceTime - 3600)));

        const ChildOutcome outcome = runInChild([&]() -> QByteArray {
            qputenv("TZ", "UTC");
            ::tzset();
            const QByteArray folder = QFile::encodeName(tree.path("src/" + locked));
            if (!locked.isEmpty() && (!becomeUnprivileged(tree.root()) || ::chmod(folder, 0) != 0 ||
                                      ::open(folder, O_RDONLY | O_DIRECTORY) >= 0))
                return "no fault";
            Fixture f(tree.path("src"), tree.path("dst"), true);
            QStringList lines{f.refresh() ? QString() : "refused"};
            f.comparison.ClassifyFileList();
            for (int i = 0; i < f.comparison.fileList().count(); ++i) {
                const FileEntry &row = f.comparison.fileList().row(i);
                lines << QString("%1|%2|%3|%4|%5")
                             .arg(row.statusCode)
                             .arg(row.files, row.statusText, timeText(row.dtSrc),
                                  timeText(row.dtDest));
            }
            lines << QString::number(f.comparison.unreadableFolderCount()) + '|' +
                         f.comparison.summaryText();
            return lines.join('\n').toUtf8();
        });
        QVERIFY2(outcome.exited, "the refresh did not end within its time limit");
        if (outcome.output == "no fault")
            QSKIP("the permission fault could not be made as another user");
        QCOMPARE(QString::fromUtf8(outcome.output).split('\n'), QStringList{QString()} + rows);
    }
};

TANDRIMO_TEST(ListingTest)
#include "tst_listing.moc"
