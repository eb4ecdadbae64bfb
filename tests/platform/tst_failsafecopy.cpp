#include "support/testfiles.h"
#include "support/treestate.h"

#include "platform/atomicwrite.h"
#include "platform/failsafecopy.h"
#include "platform/staletemporaries.h"
#include "platform/temporaryfile.h"
#include "support/childprocess.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using platform::CopyOutcome;
using platform::FaultyFileCalls;
using platform::FileCall;
using platform::ScopedFileCalls;

Q_DECLARE_METATYPE(platform::FileCall)
Q_DECLARE_METATYPE(platform::CopyOutcome)

namespace {

const QByteArray kTemp = platform::kTempPrefix;
const QDateTime kOriginTime = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
const QDateTime kOldTime = QDateTime::fromMSecsSinceEpoch(1600000000000, Qt::UTC);
const char kMark[] = "user.tandrimo.temporary"; // the program's mark on its temporary files

// An origin and an older target beside it, in a tree whose every change is accounted for.
struct Pair {
    TestTree tree;
    QString from;
    QString to;
    QByteArray origin;
    QByteArray old;
    TreeState before;

    explicit Pair(qsizetype size, qsizetype oldSize = 1000)
        : origin(patternBytes(size, 1)), old(patternBytes(oldSize, 2))
    {
        from = tree.writeFile(QStringLiteral("src/a.bin"), origin, kOriginTime);
        to = tree.writeFile(QStringLiteral("dest/a.bin"), old, kOldTime);
        tree.setMode(QStringLiteral("src/a.bin"), 0640);
        before = TreeState::capture(tree.root());
    }
    platform::CopyResult copy(const platform::CopyOptions &options = {}) const
    {
        return platform::copyFileFailSafe(nativePath(from), nativePath(to), options);
    }
    QStringList changes() const
    {
        return TreeState::changes(before, TreeState::capture(tree.root()));
    }
};

} // namespace

class FailSafeCopyTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void copiesBytesTimesAndMode_data();
    void copiesBytesTimesAndMode();
    void copiedWhatTheFileSystemLacks_data();
    void copiedWhatTheFileSystemLacks();
    void failureLeavesOldTarget_data();
    void failureLeavesOldTarget();
    void failedNewFileLeavesNothing_data();
    void failedNewFileLeavesNothing();
    void fullDiskFailsWhereverItStrikes_data();
    void fullDiskFailsWhereverItStrikes();
    void changedOriginIsDiscarded_data();
    void changedOriginIsDiscarded();
    void originChangedBeforeCommit();
    void verificationMismatchKeepsOldTarget_data();
    void verificationMismatchKeepsOldTarget();
    void unreadableCopyIsPlacedUnverified();
    void fifoOriginIsRefusedWithoutBlocking();
    void folderInTargetsPlaceIsNeverReplaced_data();
    void folderInTargetsPlaceIsNeverReplaced();
    void copyIsNamedOnlyForItsRename_data();
    void copyIsNamedOnlyForItsRename();
    void onlyProgramTemporariesAreStale_data();
    void onlyProgramTemporariesAreStale();
    void batchCommitsEachInOrder_data();
    void batchCommitsEachInOrder();
};

void FailSafeCopyTest::copiesBytesTimesAndMode_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("byReading"); // copy_file_range unavailable: read and write

    // The largest is sent to disk in parts while it is copied.
    for (const int size : {0, 1, 4096, 3 * 1024 * 1024 + 7, 17 * 1024 * 1024 + 5}) {
        QTest::addRow("%d bytes, copy_file_range", size) << size << false;
        QTest::addRow("%d bytes, read and write", size) << size << true;
    }
}

void FailSafeCopyTest::copiesBytesTimesAndMode()
{
    QFETCH(int, size);
    QFETCH(bool, byReading);
    // The old target is longer: nothing of it may remain after the new end.
    Pair pair(size, size + 5000);
    FaultyFileCalls calls;
    if (byReading)
        calls.fail(FileCall::CopyFileRange, EXDEV);
    ScopedFileCalls scope(calls);

    const platform::CopyResult result = pair.copy();

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    QCOMPARE(pair.tree.read(QStringLiteral("dest/a.bin")), pair.origin);
    QCOMPARE(factsOf(pair.to).mtimeNs, factsOf(pair.from).mtimeNs);
    QCOMPARE(factsOf(pair.to).mode, 0640u);
    QCOMPARE(result.originMtimeMs, kOriginTime.toMSecsSinceEpoch());
    QCOMPARE(result.storedMtimeMs, kOriginTime.toMSecsSinceEpoch());
    QCOMPARE(::getxattr(nativePath(pair.to).constData(), kMark, nullptr, 0), -1);
    QCOMPARE(pair.changes(), QStringList{QStringLiteral("dest/a.bin")});
    QCOMPARE(calls.count(FileCall::Read, "src/a.bin") > 0, byReading && size > 0);
    // The flush happens before the rename, never after.
    const QList<FaultyFileCalls::Entry> log = calls.log();
    qsizetype flush = -1, rename = -1;
    for (qsizetype i = 0; i < log.size(); ++i) {
        if (log[i].call == FileCall::Fdatasync)
            flush = i;
        if (log[i].call == FileCall::Rename)
            rename = i;
    }
    QVERIFY(flush >= 0 && flush < rename);
}

void FailSafeCopyTest::copiedWhatTheFileSystemLacks_data()
{
    QTest::addColumn<FileCall>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("times"); // -1: every time
    QTest::addColumn<bool>("timeKept");

    for (const int error : {ENOSYS, EOPNOTSUPP, EPERM, EINVAL, EACCES})
        QTest::addRow("no permission bits (%s)", strerrorname_np(error))
            << FileCall::Fchmod << error << -1 << true;
    for (const int error : {ENOSYS, EOPNOTSUPP, EPERM})
        QTest::addRow("no times (%s)", strerrorname_np(error))
            << FileCall::Futimens << error << -1 << false;
    for (const int error : {EOPNOTSUPP, EISDIR, EINVAL})
        QTest::addRow("no unnamed file (%s)", strerrorname_np(error))
            << FileCall::Open << error << 1 << true;
    QTest::newRow("no link from a bare descriptor") << FileCall::Link << ENOENT << 1 << true;
    QTest::newRow("no extended attributes") << FileCall::SetXattr << EOPNOTSUPP << -1 << true;
}

void FailSafeCopyTest::copiedWhatTheFileSystemLacks()
{
    QFETCH(FileCall, call);
    QFETCH(int, error);
    QFETCH(int, times);
    QFETCH(bool, timeKept);
    Pair pair(300000);
    FaultyFileCalls calls;
    calls.fail(call, error, kTemp, 0, times);
    ScopedFileCalls scope(calls);

    const platform::CopyResult result = pair.copy();

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    QCOMPARE(pair.tree.read(QStringLiteral("dest/a.bin")), pair.origin);
    QCOMPARE(pair.changes(), QStringList{QStringLiteral("dest/a.bin")});
    QCOMPARE(result.storedMtimeMs, factsOf(pair.to).mtimeNs / 1000000);
    QCOMPARE(result.storedMtimeMs == result.originMtimeMs, timeKept);
}

void FailSafeCopyTest::failureLeavesOldTarget_data()
{
    QTest::addColumn<FileCall>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<QByteArray>("part");
    QTest::addColumn<bool>("byReading");
    QTest::addColumn<CopyOutcome>("outcome");

    const QByteArray origin = "src/a.bin";
    QTest::newRow("origin unreadable")
        << FileCall::Open << EACCES << origin << false << CopyOutcome::Failed;
    QTest::newRow("origin vanished")
        << FileCall::Open << ENOENT << origin << false << CopyOutcome::Failed;
    QTest::newRow("no right to create in the folder")
        << FileCall::Open << EACCES << kTemp << false << CopyOutcome::Failed;
    QTest::newRow("copy_file_range fails")
        << FileCall::CopyFileRange << EIO << kTemp << false << CopyOutcome::Failed;
    QTest::newRow("read fails") << FileCall::Read << EIO << origin << true << CopyOutcome::Failed;
    QTest::newRow("write fails") << FileCall::Write << EIO << kTemp << true << CopyOutcome::Failed;
    QTest::newRow("times fail") << FileCall::Futimens << EIO << kTemp << false
                                << CopyOutcome::Failed;
    QTest::newRow("mode fails") << FileCall::Fchmod << EIO << kTemp << false << CopyOutcome::Failed;
    QTest::newRow("flush fails") << FileCall::Fdatasync << EIO << kTemp << false
                                 << CopyOutcome::Failed;
    QTest::newRow("close reports a lost write")
        << FileCall::Close << EIO << kTemp << false << CopyOutcome::Failed;
    QTest::newRow("naming refused")
        << FileCall::Link << EACCES << kTemp << false << CopyOutcome::Failed;
    QTest::newRow("rename refused")
        << FileCall::Rename << EXDEV << kTemp << false << CopyOutcome::Failed;
    QTest::newRow("origin gone at the last check")
        << FileCall::Stat << ENOENT << origin << false << CopyOutcome::SourceChanged;
}

void FailSafeCopyTest::failureLeavesOldTarget()
{
    QFETCH(FileCall, call);
    QFETCH(int, error);
    QFETCH(QByteArray, part);
    QFETCH(bool, byReading);
    QFETCH(CopyOutcome, outcome);
    Pair pair(300000);
    FaultyFileCalls calls;
    if (byReading)
        calls.fail(FileCall::CopyFileRange, EXDEV);
    calls.fail(call, error, part);
    ScopedFileCalls scope(calls);

    const platform::CopyResult result = pair.copy();

    QCOMPARE(result.outcome, outcome);
    if (outcome == CopyOutcome::Failed)
        QCOMPARE(result.status.error(), error);
    QVERIFY(!result.placed());
    QCOMPARE(pair.changes(), QStringList());
}

void FailSafeCopyTest::failedNewFileLeavesNothing_data()
{
    QTest::addColumn<FileCall>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<QByteArray>("part");
    QTest::newRow("flush fails") << FileCall::Fdatasync << EIO << kTemp;
    QTest::newRow("linking under its name refused")
        << FileCall::Link << EACCES << QByteArray("dest/a.bin");
    // Once linked: the close is the last word of a write-back, and the file goes again.
    QTest::newRow("close reports a lost write") << FileCall::Close << EIO << kTemp;
}

// A copy into a place where no file was leaves no file there when it fails, whatever the step.
void FailSafeCopyTest::failedNewFileLeavesNothing()
{
    QFETCH(FileCall, call);
    QFETCH(int, error);
    QFETCH(QByteArray, part);
    Pair pair(300000);
    QVERIFY(QFile::remove(pair.to));
    pair.before = TreeState::capture(pair.tree.root());
    FaultyFileCalls calls;
    calls.fail(call, error, part);
    ScopedFileCalls scope(calls);

    const platform::CopyResult result = pair.copy();

    QCOMPARE(result.outcome, CopyOutcome::Failed);
    QCOMPARE(result.status.error(), error);
    QCOMPARE(pair.changes(), QStringList());
    QCOMPARE(calls.count(FileCall::Rename), 0);
}

void FailSafeCopyTest::fullDiskFailsWhereverItStrikes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<qint64>("room");
    QTest::addColumn<bool>("byReading");

    const int size = 3 * 1024 * 1024 + 11;   // several blocks of the read-and-write copy
    const int large = 17 * 1024 * 1024 + 11; // sent to disk in parts while it is copied
    for (const bool byReading : {false, true}) {
        const char *how = byReading ? "read and write" : "copy_file_range";
        QTest::addRow("no room, %s", how) << size << qint64(0) << byReading;
        QTest::addRow("one byte, %s", how) << size << qint64(1) << byReading;
        QTest::addRow("half the file, %s", how) << size << qint64(size / 2) << byReading;
        QTest::addRow("all but one byte, %s", how) << size << qint64(size - 1) << byReading;
        QTest::addRow("after a part went to disk, %s", how)
            << large << qint64(9 * 1024 * 1024) << byReading;
    }
}

void FailSafeCopyTest::fullDiskFailsWhereverItStrikes()
{
    QFETCH(int, size);
    QFETCH(qint64, room);
    QFETCH(bool, byReading);
    Pair pair(size);
    FaultyFileCalls calls;
    if (byReading)
        calls.fail(FileCall::CopyFileRange, EXDEV);
    calls.diskFullAfter(room, kTemp);
    ScopedFileCalls scope(calls);

    const platform::CopyResult result = pair.copy();

    QCOMPARE(result.outcome, CopyOutcome::Failed);
    QCOMPARE(result.status.error(), ENOSPC);
    QCOMPARE(pair.changes(), QStringList());
}

void FailSafeCopyTest::changedOriginIsDiscarded_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("grown") << 0;
    QTest::newRow("rewritten, same size, new time") << 1;
    QTest::newRow("replaced, same size and time") << 2;
    QTest::newRow("deleted") << 3;
    QTest::newRow("shrunk while read") << 4;
    // Only its status-change time tells: no program can put that one back.
    QTest::newRow("rewritten in place, its time put back") << 5;
}

void FailSafeCopyTest::changedOriginIsDiscarded()
{
    QFETCH(int, change);
    Pair pair(200000);
    FaultyFileCalls calls;
    const auto act = [&] {
        QFile file(pair.from);
        switch (change) {
        case 0:
            QVERIFY(file.open(QIODevice::Append));
            file.write("more");
            break;
        case 1:
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write("X");
            file.close();
            pair.tree.setModified(QStringLiteral("src/a.bin"), kOriginTime.addSecs(5));
            break;
        case 2: {
            const QString other = pair.tree.writeFile(QStringLiteral("src/other"),
                                                      patternBytes(200000, 9), kOriginTime);
            QVERIFY(::rename(nativePath(other).constData(), nativePath(pair.from).constData()) ==
                    0);
            break;
        }
        case 3:
            QVERIFY(file.remove());
            break;
        case 4:
            QVERIFY(file.resize(1000));
            break;
        case 5:
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(150000));
            file.write("rewritten");
            file.close();
            QVERIFY(pair.tree.setModified(QStringLiteral("src/a.bin"), kOriginTime));
            break;
        }
    };
    // Shrinking must strike before the bytes are read; every other change once they are.
    if (change == 4) {
        calls.fail(FileCall::CopyFileRange, EXDEV);
        calls.before(FileCall::Read, "src/a.bin", act);
    } else {
        calls.before(FileCall::Futimens, kTemp, act);
    }
    ScopedFileCalls scope(calls);

    const platform::CopyResult result = pair.copy();

    QCOMPARE(result.outcome, CopyOutcome::SourceChanged);
    QCOMPARE(pair.tree.read(QStringLiteral("dest/a.bin")), pair.old);
    QCOMPARE(TreeState::capture(pair.tree.root()).temporaryFiles(), QStringList());
}

void FailSafeCopyTest::originChangedBeforeCommit()
{
    Pair pair(5000);
    platform::StagedCopy staged;
    QCOMPARE(platform::stageCopy(nativePath(pair.from), nativePath(pair.to), {}, staged).outcome,
             CopyOutcome::Copied);
    QVERIFY(staged.isValid());
    pair.tree.setModified(QStringLiteral("src/a.bin"), kOriginTime.addSecs(1));

    QCOMPARE(platform::commitCopy(staged, true).outcome, CopyOutcome::SourceChanged);
    QVERIFY(!staged.isValid());
    QCOMPARE(pair.changes(), QStringList{QStringLiteral("src/a.bin")});
}

void FailSafeCopyTest::verificationMismatchKeepsOldTarget_data()
{
    QTest::addColumn<qint64>("offset");
    const qint64 size = 3 * 1024 * 1024 + 3;
    QTest::newRow("first byte") << qint64(0);
    QTest::newRow("past the first block") << qint64(1024 * 1024 + 17);
    QTest::newRow("last byte") << size - 1;
}

void FailSafeCopyTest::verificationMismatchKeepsOldTarget()
{
    QFETCH(qint64, offset);
    Pair pair(3 * 1024 * 1024 + 3);
    FaultyFileCalls calls;
    calls.corruptReads(kTemp, offset);
    ScopedFileCalls scope(calls);
    platform::CopyOptions options;
    options.verify = true;

    const platform::CopyResult result = pair.copy(options);

    QCOMPARE(result.outcome, CopyOutcome::Mismatch);
    QCOMPARE(calls.count(FileCall::Rename), 0);
    QCOMPARE(pair.changes(), QStringList());
}

void FailSafeCopyTest::unreadableCopyIsPlacedUnverified()
{
    Pair pair(10000);
    FaultyFileCalls calls;
    calls.fail(FileCall::Pread, EIO, kTemp);
    ScopedFileCalls scope(calls);
    platform::CopyOptions options;
    options.verify = true;

    QCOMPARE(pair.copy(options).outcome, CopyOutcome::CopiedUnverified);
    QCOMPARE(pair.tree.read(QStringLiteral("dest/a.bin")), pair.origin);
}

void FailSafeCopyTest::fifoOriginIsRefusedWithoutBlocking()
{
    TestTree tree;
    tree.makeFolder(QStringLiteral("dest"));
    const QString fifo = tree.path(QStringLiteral("fifo"));
    QVERIFY(::mkfifo(nativePath(fifo).constData(), 0644) == 0);
    const QString to = tree.path(QStringLiteral("dest/fifo"));

    const ChildOutcome child = runInChild(
        [&]() -> QByteArray {
            const platform::CopyResult result =
                platform::copyFileFailSafe(nativePath(fifo), nativePath(to));
            return QByteArray::number(int(result.outcome)) + ' ' +
                   QByteArray::number(int(result.status.cause()));
        },
        5000);

    QVERIFY2(!child.timedOut, "the copy blocked on a FIFO");
    QCOMPARE(child.output, QByteArray::number(int(CopyOutcome::Failed)) + ' ' +
                               QByteArray::number(int(platform::IoStatus::Cause::NotRegularFile)));
    QCOMPARE(QDir(tree.path(QStringLiteral("dest")))
                 .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             true);
}

void FailSafeCopyTest::folderInTargetsPlaceIsNeverReplaced_data()
{
    QTest::addColumn<bool>("empty");
    QTest::newRow("folder holding a file") << false;
    QTest::newRow("empty folder") << true;
}

void FailSafeCopyTest::folderInTargetsPlaceIsNeverReplaced()
{
    QFETCH(bool, empty);
    TestTree tree;
    const QString from = tree.writeFile(QStringLiteral("src/a"), "new");
    if (empty)
        tree.makeFolder(QStringLiteral("dest/a"));
    else
        tree.writeFile(QStringLiteral("dest/a/inside"), "kept");
    const TreeState before = TreeState::capture(tree.root());

    const platform::CopyResult result = platform::copyFileFailSafe(
        nativePath(from), nativePath(tree.path(QStringLiteral("dest/a"))));

    QCOMPARE(result.outcome, CopyOutcome::Failed);
    QCOMPARE(result.status.error(), EISDIR);
    QCOMPARE(TreeState::changes(before, TreeState::capture(tree.root())), QStringList());
}

void FailSafeCopyTest::copyIsNamedOnlyForItsRename_data()
{
    QTest::addColumn<bool>("targetBefore");  // an old target when the copy is made
    QTest::addColumn<bool>("targetAppears"); // a file made in the target's place while flushed
    QTest::addColumn<int>("renames");
    // Marked, so that a crash just before the rename leaves a stale temporary.
    QTest::newRow("over an old target: a marked temporary name, renamed") << true << false << 1;
    QTest::newRow("a new file: its own name at once") << false << false << 0;
    QTest::newRow("a file that appeared meanwhile is kept: its name was free")
        << false << true << 0;
}

void FailSafeCopyTest::copyIsNamedOnlyForItsRename()
{
    QFETCH(bool, targetBefore);
    QFETCH(bool, targetAppears);
    QFETCH(int, renames);
    Pair pair(300000);
    if (!targetBefore)
        QVERIFY(QFile::remove(pair.to));
    const QString dest = pair.tree.path(QStringLiteral("dest"));
    const auto temporaries = [&] {
        return QDir(dest).entryList({QString::fromLatin1(kTemp) + u'*'},
                                    QDir::Files | QDir::Hidden);
    };
    QStringList whileFlushed, atRename;
    bool marked = false;
    FaultyFileCalls calls;
    calls.before(FileCall::Fdatasync, kTemp, [&] {
        whileFlushed = temporaries();
        if (targetAppears)
            pair.tree.writeFile(QStringLiteral("dest/a.bin"), "user's");
    });
    calls.before(FileCall::Rename, kTemp, [&] {
        atRename = temporaries();
        const QByteArray path = nativePath(dest + u'/' + atRename.value(0));
        marked = ::getxattr(path.constData(), kMark, nullptr, 0) >= 0;
    });
    ScopedFileCalls scope(calls);

    QCOMPARE(pair.copy().outcome, targetAppears ? CopyOutcome::NameTaken : CopyOutcome::Copied);
    QCOMPARE(whileFlushed, QStringList());
    QCOMPARE(calls.count(FileCall::Rename), renames);
    QCOMPARE(atRename.size(), renames);
    QCOMPARE(marked, renames == 1);
    QCOMPARE(pair.tree.read(QStringLiteral("dest/a.bin")),
             targetAppears ? QByteArray("user's") : pair.origin);
    QCOMPARE(::getxattr(nativePath(pair.to).constData(), kMark, nullptr, 0), -1);
    QCOMPARE(TreeState::capture(pair.tree.root()).temporaryFiles(), QStringList());
}

void FailSafeCopyTest::onlyProgramTemporariesAreStale_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("ours");
    QTest::addColumn<bool>("removed");
    QTest::newRow("left by a killed copy") << "killed" << true << true;
    QTest::newRow("held by a copy in progress") << "live" << true << false;
    QTest::newRow("user's file of the same pattern") << "user" << false << false;
    QTest::newRow("user's notes") << "notes" << false << false;
}

void FailSafeCopyTest::onlyProgramTemporariesAreStale()
{
    QFETCH(QString, kind);
    QFETCH(bool, ours);
    QFETCH(bool, removed);
    Pair pair(1000);
    const QByteArray folder = nativePath(pair.tree.path(QStringLiteral("dest")));
    // A file system without unnamed files: the temporary files are named from the start.
    FaultyFileCalls calls;
    calls.fail(FileCall::Open, EOPNOTSUPP, kTemp, 0, 1);
    ScopedFileCalls scope(calls);
    QByteArray name;
    platform::StagedCopy staged;
    if (kind == u"killed") {
        const int fd = platform::createTemporaryFile(folder, 0600, &name);
        QVERIFY(fd >= 0);
        platform::fileCalls().close(fd); // its lock goes, as with a killed process
    } else if (kind == u"live") {
        QVERIFY(
            platform::stageCopy(nativePath(pair.from), nativePath(pair.to), {}, staged).placed());
        name = folder + '/' + staged.temporaryName();
    } else {
        name = folder + '/' + kTemp + (kind == u"user" ? "abc123" : "mes notes.txt");
        QFile file(QFile::decodeName(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (ours && ::getxattr(name.constData(), kMark, nullptr, 0) < 0)
        QSKIP("this file system keeps no extended attributes");
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const QByteArray entry = name.mid(name.lastIndexOf('/') + 1);
    const bool recognised = platform::isProgramTemporary(dir, entry.constData());
    ::close(dir);
    QCOMPARE(recognised, ours);

    QCOMPARE(platform::removeStaleTemporaries(folder), removed ? 1 : 0);
    struct stat st {};
    QCOMPARE(::lstat(name.constData(), &st) == 0, !removed);
    if (kind == u"live")
        QCOMPARE(platform::commitCopy(staged, true).outcome, CopyOutcome::Copied);
}

void FailSafeCopyTest::batchCommitsEachInOrder_data()
{
    QTest::addColumn<bool>("sharedFlushFails");
    QTest::newRow("shared flush succeeds: no flush per file") << false;
    QTest::newRow("shared flush fails: each file flushed to tell which") << true;
}

void FailSafeCopyTest::batchCommitsEachInOrder()
{
    QFETCH(bool, sharedFlushFails);
    TestTree tree;
    FaultyFileCalls calls; // from the start, so that it knows the files behind descriptors
    ScopedFileCalls scope(calls);
    std::vector<platform::StagedCopy> staged(3);
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("f%1").arg(i);
        const QString from = tree.writeFile(u"src/" + name, patternBytes(100 + i, i));
        tree.writeFile(u"dest/" + name, "old");
        QVERIFY(platform::stageCopy(nativePath(from), nativePath(tree.path(u"dest/" + name)), {},
                                    staged[std::size_t(i)])
                    .placed());
    }
    if (sharedFlushFails) {
        calls.fail(FileCall::Syncfs, EIO);
        calls.fail(FileCall::Fdatasync, EIO, {}, 1, 1); // the second file's own flush
    } else {
        calls.fail(FileCall::Rename, EACCES, "dest/f1");
    }

    const std::vector<platform::CopyResult> results = platform::commitCopies(staged, true);

    QCOMPARE(results.size(), std::size_t(3));
    QCOMPARE(results[0].outcome, CopyOutcome::Copied);
    QCOMPARE(results[1].outcome, CopyOutcome::Failed);
    QCOMPARE(results[2].outcome, CopyOutcome::Copied);
    QCOMPARE(calls.count(FileCall::Syncfs), 1);
    QCOMPARE(calls.count(FileCall::Fdatasync), sharedFlushFails ? 3 : 0);
    QCOMPARE(tree.read(QStringLiteral("dest/f0")), patternBytes(100, 0));
    QCOMPARE(tree.read(QStringLiteral("dest/f1")), QByteArray("old"));
    QCOMPARE(tree.read(QStringLiteral("dest/f2")), patternBytes(102, 2));
    QCOMPARE(TreeState::capture(tree.root()).temporaryFiles(), QStringList());
}

TANDRIMO_TEST(FailSafeCopyTest)
#include "tst_failsafecopy.moc"
