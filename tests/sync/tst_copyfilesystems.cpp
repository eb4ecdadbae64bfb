#include "copyrunfixture.h"
#include "support/testfiles.h"

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

// A FAT disk image of 16 MiB mounted through FUSE on a folder of the tree, for as long as it
// lives; mounted() is false where the machine cannot (say why with skipReason).
class FatDisk {
public:
    explicit FatDisk(TestTree &tree) : m_folder(tree.makeFolder(QStringLiteral("disk")))
    {
        const QStringList bins{QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin"),
                               QStringLiteral("/sbin")};
        const QString fusefat = QStandardPaths::findExecutable(QStringLiteral("fusefat"), bins);
        const QString mkfs = QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat"), bins);
        if (fusefat.isEmpty() || mkfs.isEmpty() || !QFile::exists(QStringLiteral("/dev/fuse"))) {
            m_skip = "fusefat, mkfs.vfat or /dev/fuse is missing";
            return;
        }
        const QString image = tree.writeFile(QStringLiteral("fat.img"));
        m_mounted =
            QFile::resize(image, 16 * kMiB) && run(mkfs, {image}) == 0 &&
            run(fusefat, {QStringLiteral("-o"), QStringLiteral("rw+"), image, m_folder}) == 0 &&
            QStorageInfo(m_folder).fileSystemType().startsWith("fuse");
        m_skip = "the FAT image could not be mounted through FUSE";
    }
    ~FatDisk()
    {
        if (run(QStringLiteral("fusermount"), {QStringLiteral("-u"), m_folder}) != 0)
            run(QStringLiteral("umount"), {QStringLiteral("-l"), m_folder});
    }
    FatDisk(const FatDisk &) = delete;
    FatDisk &operator=(const FatDisk &) = delete;

    bool mounted() const { return m_mounted; }
    const char *skipReason() const { return m_skip; }
    const QString &folder() const { return m_folder; }

private:
    QString m_folder;
    bool m_mounted = false;
    const char *m_skip = nullptr;
};

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
    void oneNameNeverReplacesAnotherOnADiskIgnoringCase_data();
    void oneNameNeverReplacesAnotherOnADiskIgnoringCase();
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
    TestTree tree;
    const FatDisk fat(tree);
    if (!fat.mounted())
        QSKIP(fat.skipReason());
    const QString disk = fat.folder();
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

void CopyFileSystemsTest::oneNameNeverReplacesAnotherOnADiskIgnoringCase_data()
{
    QTest::addColumn<bool>("there"); // Readme.TXT on the disk before the run
    QTest::newRow("the other name already there") << true;
    QTest::newRow("both names new in one run") << false;
}

// A disk that ignores letter case takes README.txt for Readme.TXT: the copy of the one never
// replaces the other, and its row names both.
void CopyFileSystemsTest::oneNameNeverReplacesAnotherOnADiskIgnoringCase()
{
    QFETCH(bool, there);
    CopyRunFixture f;
    const FatDisk fat(f.tree);
    if (!fat.mounted())
        QSKIP(fat.skipReason());
    f.settings.DestPath = fat.folder();
    f.write(QStringLiteral("src/Readme.TXT"), "first");
    f.write(QStringLiteral("src/README.txt"), "second");
    if (there)
        f.write(QStringLiteral("disk/Readme.TXT"), "old", 3600);
    f.addRow(QStringLiteral("/Readme.TXT"));
    f.addRow(QStringLiteral("/README.txt"));

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    QCOMPARE(QDir(fat.folder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Readme.TXT")});
    QCOMPARE(f.tree.read(QStringLiteral("disk/Readme.TXT")), QByteArray("first"));
    QCOMPARE(f.host.texts(0).last(), QStringLiteral("Copié"));
    const QString shown = f.host.texts(1).last();
    QVERIFY2(shown.startsWith(u"Erreur : le nom est déjà pris par « Readme.TXT »"),
             qPrintable(shown));
}

TANDRIMO_TEST(CopyFileSystemsTest)
#include "tst_copyfilesystems.moc"
