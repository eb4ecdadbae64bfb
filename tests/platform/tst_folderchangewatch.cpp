#include "platform/folderchangewatch.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::FolderChangeWatch;

class FolderChangeWatchTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tellsWhatMayHaveChanged_data();
    void tellsWhatMayHaveChanged();
};

void FolderChangeWatchTest::tellsWhatMayHaveChanged_data()
{
    QTest::addColumn<QString>("change"); // made in a/b, which holds f and g, once watched
    QTest::addColumn<QString>("name");   // the file asked about, beside g
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("gChanged");
    QTest::newRow("bytes written") << "write"
                                   << "f" << true << false;
    QTest::newRow("time set") << "touch"
                              << "f" << true << false;
    QTest::newRow("removed") << "remove"
                             << "f" << true << false;
    QTest::newRow("renamed away") << "rename f k"
                                  << "f" << true << false;
    QTest::newRow("another renamed onto it") << "rename h f"
                                             << "f" << true << false;
    QTest::newRow("unnamed file's mode") << "unnamed"
                                         << "#12" << true << false;
    QTest::newRow("the folder moved") << "move a/b a/c"
                                      << "f" << true << true;
    QTest::newRow("a folder above moved") << "move a z"
                                          << "f" << true << true;
    QTest::newRow("a sub-folder removed") << "rmdir"
                                          << "f" << true << true;
}

// Every change of a watched folder's files reaches the answer for that file only; what the
// watch cannot tell file by file changes every file.
void FolderChangeWatchTest::tellsWhatMayHaveChanged()
{
    QFETCH(QString, change);
    QFETCH(QString, name);
    QFETCH(bool, changed);
    QFETCH(bool, gChanged);

    TestTree tree;
    for (const char *file : {"a/b/f", "a/b/g", "a/b/h", "a/b/s/x"})
        tree.writeFile(QLatin1String(file), "content");
    const QByteArray folder = QFile::encodeName(tree.path(QStringLiteral("a/b")));
    const int fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    FolderChangeWatch watch;
    watch.watch(folder, fd);
    watch.collect();
    watch.checkPaths();
    if (watch.mayHaveChanged(folder, "f"))
        QSKIP("the tests' folder is on a file system that is not watched");

    const QStringList words = change.split(u' ');
    const QString f = tree.path(QStringLiteral("a/b/f"));
    if (change == u"write") {
        QFile file(f);
        QVERIFY(file.open(QIODevice::Append) && file.write("more") == 4);
    } else if (change == u"touch") {
        QVERIFY(tree.setModified(QStringLiteral("a/b/f"), QDateTime::currentDateTimeUtc()));
    } else if (change == u"remove") {
        QVERIFY(QFile::remove(f));
    } else if (words.first() == u"rename" || words.first() == u"move") {
        const QString base = words.first() == u"rename" ? QStringLiteral("a/b/") : QString();
        QVERIFY(::rename(QFile::encodeName(tree.path(base + words[1])).constData(),
                         QFile::encodeName(tree.path(base + words[2])).constData()) == 0);
    } else if (change == u"unnamed") {
        const int unnamed = ::openat(fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (unnamed < 0)
            QSKIP("no unnamed files on this file system");
        QVERIFY(::fchmod(unnamed, 0644) == 0);
        ::close(unnamed);
    } else if (change == u"rmdir") {
        QVERIFY(QDir(tree.path(QStringLiteral("a/b/s"))).removeRecursively());
    }
    watch.collect();
    watch.checkPaths();
    ::close(fd);
    QCOMPARE(watch.mayHaveChanged(folder, name.toUtf8()), changed);
    QCOMPARE(watch.mayHaveChanged(folder, "g"), gChanged);
    QVERIFY(watch.mayHaveChanged(folder + "-other", "f")); // never watched
}

TANDRIMO_TEST(FolderChangeWatchTest)
#include "tst_folderchangewatch.moc"
