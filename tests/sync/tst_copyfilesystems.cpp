#include "testfiles.h"

#include "platform/atomicwrite.h"
#include "platform/failsafecopy.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTest>

using platform::CopyOutcome;
using platform::FaultyFileCalls;
using platform::FileCall;
using platform::ScopedFileCalls;

namespace {

constexpr qint64 kMiB = 1024 * 1024;

// Runs a command to its end within a time limit: its exit code, -1 when it did not end well.
int run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    // A FUSE daemon keeps what it inherits: no pipe of ours.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

qint64 allocated(const QString &path)
{
    struct stat st {};
    return ::stat(nativePath(path).constData(), &st) == 0 ? qint64(st.st_blocks) * 512 : -1;
}

} // namespace

class CopyFileSystemsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sparseOriginKeepsItsHoles_data();
    void sparseOriginKeepsItsHoles();
    void fatThroughFuseTakesCopies_data();
    void fatThroughFuseTakesCopies();
};

void CopyFileSystemsTest::sparseOriginKeepsItsHoles_data()
{
    QTest::addColumn<bool>("byReading"); // copy_file_range unavailable: read and write
    QTest::newRow("copy_file_range") << false;
    QTest::newRow("read and write") << true;
}

void CopyFileSystemsTest::sparseOriginKeepsItsHoles()
{
    QFETCH(bool, byReading);
    TestTree tree;
    const QString from = tree.writeFile(QStringLiteral("src/sparse.bin"));
    const QString to = tree.makeFolder(QStringLiteral("dest")) + QStringLiteral("/sparse.bin");
    {
        // 13 MiB of data in three parts over 256 MiB, ending on a hole.
        QFile file(from);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const auto &[offset, size] : {std::pair{0, 1}, {100, 10}, {200, 2}}) {
            QVERIFY(file.seek(offset * kMiB));
            QCOMPARE(file.write(patternBytes(size * kMiB, offset)), size * kMiB);
        }
        QVERIFY(file.resize(256 * kMiB));
    }
    if (allocated(from) > 16 * kMiB)
        QSKIP("this file system keeps no holes");
    FaultyFileCalls calls;
    calls.fail(FileCall::CloneFile, EOPNOTSUPP); // a reflink keeps the holes by itself
    if (byReading)
        calls.fail(FileCall::CopyFileRange, EXDEV);
    ScopedFileCalls scope(calls);

    QCOMPARE(platform::copyFileFailSafe(nativePath(from), nativePath(to)).outcome,
             CopyOutcome::Copied);

    QVERIFY2(allocated(to) <= 16 * kMiB, qPrintable(QString::number(allocated(to))));
    QCOMPARE(run(QStringLiteral("cmp"), {QStringLiteral("-s"), from, to}), 0);
    // Sent to disk 8 MiB of data at a time, whatever the holes between.
    QCOMPARE(calls.count(FileCall::StartWriteback), 2);
}

void CopyFileSystemsTest::fatThroughFuseTakesCopies_data()
{
    QTest::addColumn<QDateTime>("modified");
    QTest::addColumn<bool>("timeKept"); // within FAT's two seconds
    QTest::newRow("odd second") << QDateTime(QDate(2023, 11, 14), QTime(22, 13, 21, 123), Qt::UTC)
                                << true;
    QTest::newRow("1975, before FAT's dates")
        << QDateTime(QDate(1975, 6, 15), QTime(12, 0), Qt::UTC) << false;
}

void CopyFileSystemsTest::fatThroughFuseTakesCopies()
{
    QFETCH(QDateTime, modified);
    QFETCH(bool, timeKept);
    const QStringList bins{QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin"),
                           QStringLiteral("/sbin")};
    const QString fusefat = QStandardPaths::findExecutable(QStringLiteral("fusefat"), bins);
    const QString mkfs = QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat"), bins);
    if (fusefat.isEmpty() || mkfs.isEmpty() || !QFile::exists(QStringLiteral("/dev/fuse")))
        QSKIP("fusefat, mkfs.vfat or /dev/fuse is missing");
    TestTree tree;
    const QString image = tree.writeFile(QStringLiteral("fat.img"));
    const QString disk = tree.makeFolder(QStringLiteral("disk"));
    QVERIFY(QFile::resize(image, 16 * kMiB));
    QCOMPARE(run(mkfs, {image}), 0);
    const bool mounted =
        run(fusefat, {QStringLiteral("-o"), QStringLiteral("rw+"), image, disk}) == 0;
    const auto unmount = qScopeGuard([&] {
        if (run(QStringLiteral("fusermount"), {QStringLiteral("-u"), disk}) != 0)
            run(QStringLiteral("umount"), {QStringLiteral("-l"), disk});
    });
    if (!mounted || !QStorageInfo(disk).fileSystemType().startsWith("fuse"))
        QSKIP("the FAT image could not be mounted through FUSE");
    const QByteArray content = patternBytes(300000, 3);
    const QString from = tree.writeFile(QStringLiteral("src/a.bin"), content, modified);
    QVERIFY(tree.setMode(QStringLiteral("src/a.bin"), 0640));
    const QString to = disk + QStringLiteral("/a.bin");

    const platform::CopyResult result =
        platform::copyFileFailSafe(nativePath(from), nativePath(to));

    QCOMPARE(result.outcome, CopyOutcome::Copied);
    QCOMPARE(tree.read(QStringLiteral("disk/a.bin")), content);
    QCOMPARE(QDir(disk).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("a.bin")});
    QCOMPARE(result.originMtimeMs, modified.toMSecsSinceEpoch());
    QCOMPARE(result.storedMtimeMs, factsOf(to).mtimeNs / 1000000);
    QCOMPARE(qAbs(result.storedMtimeMs - result.originMtimeMs) < 2000, timeKept);
    // A settings file kept there is rewritten too, though the permission bits cannot be kept.
    const QString ini = disk + QStringLiteral("/tandrimo.ini");
    QVERIFY(platform::replaceFileAtomically(ini, "[a]\n").ok());
    QVERIFY(platform::replaceFileAtomically(ini, "[b]\n").ok());
    QCOMPARE(tree.read(QStringLiteral("disk/tandrimo.ini")), QByteArray("[b]\n"));
}

TANDRIMO_TEST(CopyFileSystemsTest)
#include "tst_copyfilesystems.moc"
