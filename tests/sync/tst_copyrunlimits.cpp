#include "copyrunfixture.h"

#include "platform/failsafecopy.h"
#include "platform/temporaryfile.h"
#include "support/childprocess.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"

#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>

using platform::FaultyFileCalls;
using platform::FileCall;

namespace {

const QByteArray kTemp = platform::kTempPrefix;

// An access list that lets the owning group read only, under a mask that would let it write:
// the mode shows the mask (0660).
QByteArray groupReadsUnderAWiderMask()
{
    QByteArray list("\x02\0\0\0", 4);
    for (const auto &[tag, permissions] : {std::pair{0x01, 6}, {0x04, 4}, {0x10, 6}, {0x20, 0}})
        list += QByteArray(1, char(tag)) + QByteArray(1, '\0') + QByteArray(1, char(permissions)) +
                QByteArray(1, '\0') + QByteArray("\xff\xff\xff\xff", 4);
    return list;
}

} // namespace

// What the machine sets around a run: the files a process may hold open, a disk that goes away,
// and access lists.
class CopyRunLimitsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fewOpenFilesOnlySlowTheRun();
    void lostTargetDiskEndsTheRunOnce_data();
    void lostTargetDiskEndsTheRunOnce();
    void copyGrantsNoMoreThanTheOrigin_data();
    void copyGrantsNoMoreThanTheOrigin();
};

// 300 copies under a limit of 48 open files: the copies waiting are placed before more are
// made, and every file is copied.
void CopyRunLimitsTest::fewOpenFilesOnlySlowTheRun()
{
    SKIP_THREADED_CHILD_UNDER_TSAN();
    const ChildOutcome child = runInChild([]() -> QByteArray {
        CopyRunFixture f;
        for (int i = 0; i < 300; ++i) {
            f.write(QStringLiteral("src/d%1/f%2").arg(i % 30).arg(i), "x");
            f.addRow(QStringLiteral("/d%1/f%2").arg(i % 30).arg(i));
        }
        const struct rlimit limit {
            48, 48
        };
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return QByteArray("no limit");
        const CopyRunEnd end = f.run();
        return QByteArray::number(int(end)) + ' ' + QByteArray::number(f.copyOrdinal() - 1);
    });
    QVERIFY(child.exited);
    QCOMPARE(child.output,
             QByteArray::number(int(CopyRunEnd::Completed)) + ' ' + QByteArray::number(300));
}

void CopyRunLimitsTest::lostTargetDiskEndsTheRunOnce_data()
{
    QTest::addColumn<FileCall>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("told");
    QTest::newRow("turned read-only") << FileCall::Open << EROFS << "est sur un support en lecture";
    QTest::newRow("gone") << FileCall::Open << ENODEV << "périphérique absent";
}

// The target's disk turns read-only or goes: one message names it, and the rows not reached
// stay as they were.
void CopyRunLimitsTest::lostTargetDiskEndsTheRunOnce()
{
    QFETCH(FileCall, call);
    QFETCH(int, error);
    QFETCH(QString, told);
    CopyRunFixture f;
    for (int i = 0; i < 5; ++i) {
        f.write(QStringLiteral("src/f%1").arg(i), "x");
        f.addRow(QStringLiteral("/f%1").arg(i));
    }
    FaultyFileCalls calls;
    calls.fail(call, error, "dest/" + kTemp, 1);

    QCOMPARE(f.run(&calls), CopyRunEnd::TargetLost);

    const QStringList boxes = f.host.eventsOf(QStringLiteral("box"));
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.first().contains(told) && boxes.first().contains(f.dest), qPrintable(boxes[0]));
    QCOMPARE(f.host.texts(0).last(), QStringLiteral("Copié"));
    QVERIFY(f.host.texts(1).last().startsWith(u"Erreur : "));
    for (int i = 2; i < 5; ++i)
        QCOMPARE(f.host.texts(i), QStringList());
}

void CopyRunLimitsTest::copyGrantsNoMoreThanTheOrigin_data()
{
    QTest::addColumn<bool>("listKept"); // the copy's file system takes access lists
    QTest::newRow("the list copied") << true;
    QTest::newRow("no list there: the group's own entry") << false;
}

void CopyRunLimitsTest::copyGrantsNoMoreThanTheOrigin()
{
    QFETCH(bool, listKept);
    CopyRunFixture f;
    const QByteArray origin = QFile::encodeName(f.write(QStringLiteral("src/a.txt"), "a"));
    const QByteArray list = groupReadsUnderAWiderMask();
    if (::setxattr(origin.constData(), "system.posix_acl_access", list.constData(),
                   size_t(list.size()), 0) != 0)
        QSKIP("this file system keeps no access lists");
    f.addRow(QStringLiteral("/a.txt"));
    FaultyFileCalls calls;
    if (!listKept)
        calls.fail(FileCall::SetXattr, EOPNOTSUPP, "dest/" + kTemp);

    QCOMPARE(f.run(&calls), CopyRunEnd::Completed);

    const QByteArray copy = QFile::encodeName(f.tree.path(QStringLiteral("dest/a.txt")));
    QByteArray kept(256, '\0');
    const ssize_t n =
        ::getxattr(copy.constData(), "system.posix_acl_access", kept.data(), size_t(kept.size()));
    struct stat st {};
    QCOMPARE(::stat(copy.constData(), &st), 0);
    if (listKept) {
        QCOMPARE(kept.left(n > 0 ? n : 0), list);
    } else {
        QCOMPARE(n, ssize_t(-1));
        QCOMPARE(st.st_mode & 0777, mode_t(0640));
    }
}

TANDRIMO_TEST(CopyRunLimitsTest)
#include "tst_copyrunlimits.moc"
