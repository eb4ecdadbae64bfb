#include "copyrunfixture.h"
#include "support/testfiles.h"

#include "platform/atomicwrite.h"
#include "support/childprocess.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"

#include <QLocale>
#include <QTest>

#include <csignal>

using platform::FaultyFileCalls;
using platform::FileCall;

namespace {

const QByteArray kTemp = platform::kTempPrefix;

// Where the worker learns that a copy was found different.
enum class Collected { AfterItsCommit, BeforeALongCopy, BeforeTheSpaceRetry };

} // namespace

Q_DECLARE_METATYPE(CopyRunEnd)
Q_DECLARE_METATYPE(Collected)
Q_DECLARE_METATYPE(platform::FileCall)

// How finished copies reach their targets: flushed in groups, verified from the disk, and
// counted and shown copied only once in place.
class CopyRunCommitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }
    void copyCountsOnlyOnceInPlace_data();
    void copyCountsOnlyOnceInPlace();
    void verificationReadsTheCopyBackFromItsDisk_data();
    void verificationReadsTheCopyBackFromItsDisk();
    void verificationMismatch_data();
    void verificationMismatch();
    void verificationThatCannotReadKeepsTheCopy();
    void waitingCopiesReplaceTheirTargetsTogether();
    void backgroundCommitsKeepEachRowsStagesAndEveryTarget_data();
    void backgroundCommitsKeepEachRowsStagesAndEveryTarget();
    void killedRunLeavesOldOrNewThenNextRunCleansUp_data();
    void killedRunLeavesOldOrNewThenNextRunCleansUp();
    void whatAppearsInAFolderTheRunMadeIsMet_data();
    void whatAppearsInAFolderTheRunMadeIsMet();
};

void CopyRunCommitTest::copyCountsOnlyOnceInPlace_data()
{
    QTest::addColumn<FileCall>("refused"); // in the second file's commit
    QTest::addColumn<int>("commitFiles");
    QTest::addColumn<QList<int>>("progress");
    QTest::newRow("rename refused") << FileCall::Rename << 1 << QList<int>{0, 25, 50, 50, 75};
    QTest::newRow("flush refused") << FileCall::Fdatasync << 1 << QList<int>{0, 25, 50, 50, 75};
    QTest::newRow("rename refused, two by two: counted as each copy begins")
        << FileCall::Rename << 2 << QList<int>{0, 25, 50, 50, 75};
}

// A copy whose commit fails was never shown copied, and the progress stops counting it.
void CopyRunCommitTest::copyCountsOnlyOnceInPlace()
{
    QFETCH(FileCall, refused);
    QFETCH(int, commitFiles);
    QFETCH(QList<int>, progress);
    CopyRunFixture f;
    for (int i = 0; i < 4; ++i) {
        f.write(QStringLiteral("src/f%1").arg(i), "new");
        f.write(QStringLiteral("dest/f%1").arg(i), "old", 3600);
        f.addRow(QStringLiteral("/f%1").arg(i));
    }
    f.settings.commitFiles = commitFiles;
    f.settings.commitMilliseconds = 1000000;
    f.settings.commitInBackground = false;
    FaultyFileCalls calls;
    calls.fail(refused, EIO, kTemp, 1, 1);

    QCOMPARE(f.run(&calls), CopyRunEnd::Completed);

    // A rename is the folder's: the text names it.
    const QString failed =
        QStringLiteral("Copie...,Erreur : erreur de lecture ou d'écriture sur le support") +
        (refused == FileCall::Rename ? u" (le dossier « " + f.dest + u" »)" : QString());
    for (int i = 0; i < 4; ++i)
        QCOMPARE(f.host.texts(i).join(u','), i == 1 ? failed : QStringLiteral("Copie...,Copié"));
    QCOMPARE(f.host.progress(), progress);
    QCOMPARE(f.copyOrdinal(), 4);
    QCOMPARE(f.tree.read(QStringLiteral("dest/f1")), QByteArray("old"));
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunCommitTest::verificationReadsTheCopyBackFromItsDisk_data()
{
    QTest::addColumn<int>("commitFiles");
    QTest::addColumn<bool>("flush");
    QTest::addColumn<bool>("pagesKept"); // dropping the copy's cached pages is refused
    QTest::addColumn<QString>("calls");  // on the copies, in order
    QTest::addColumn<QString>("text");
    // New files: each copy is linked under its target's name once verified.
    const QString own = QStringLiteral("Fdatasync,Fadvise,Pread,Link");
    QTest::newRow("each file flushed")
        << 1 << true << false << own + u',' + own << "Copié et vérifié";
    QTest::newRow("both flushed together")
        << 2 << true << false << "Syncfs,Fadvise,Pread,Link,Fadvise,Pread,Link"
        << "Copié et vérifié";
    QTest::newRow("pages kept: read from memory")
        << 1 << true << true << own + u',' + own << "Copié et non vérifié";
    QTest::newRow("not flushed: read from memory") << 1 << false << false << "Pread,Link,Pread,Link"
                                                   << "Copié et non vérifié";
}

// The copy is compared once flushed and its cached pages dropped, so that its reads reach the
// disk; where they cannot, it is in place but not called verified.
void CopyRunCommitTest::verificationReadsTheCopyBackFromItsDisk()
{
    QFETCH(int, commitFiles);
    QFETCH(bool, flush);
    QFETCH(bool, pagesKept);
    QFETCH(QString, calls);
    QFETCH(QString, text);
    CopyRunFixture f;
    for (const char *name : {"a", "b"}) {
        f.write(u"src/" + QLatin1String(name), name);
        f.addRow(u'/' + QLatin1String(name));
    }
    f.settings.FileCompareCopy = true;
    f.settings.flush = flush;
    f.settings.commitFiles = commitFiles;
    f.settings.commitInBackground = false;
    FaultyFileCalls faulty;
    if (pagesKept)
        faulty.fail(FileCall::Fadvise, EINVAL);

    QCOMPARE(f.run(&faulty), CopyRunEnd::Completed);

    const QMap<FileCall, QString> names{{FileCall::Fdatasync, QStringLiteral("Fdatasync")},
                                        {FileCall::Syncfs, QStringLiteral("Syncfs")},
                                        {FileCall::Fadvise, QStringLiteral("Fadvise")},
                                        {FileCall::Pread, QStringLiteral("Pread")},
                                        {FileCall::Link, QStringLiteral("Link")}};
    QStringList seen;
    for (const FaultyFileCalls::Entry &entry : faulty.log()) {
        const QString name = names.value(entry.call);
        const bool onCopy = entry.path.contains(kTemp) || entry.call == FileCall::Link;
        if (onCopy && !name.isEmpty() && seen.value(seen.size() - 1) != name)
            seen << name;
    }
    QCOMPARE(seen.join(u','), calls);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(f.host.texts(i), (QStringList{QStringLiteral("Copie..."), QStringLiteral("Copié"),
                                               QStringLiteral("Vérification..."), text}));
    QCOMPARE(f.tree.read(QStringLiteral("dest/b")), QByteArray("b"));
}

void CopyRunCommitTest::verificationMismatch_data()
{
    QTest::addColumn<BoxButton>("answer");
    QTest::addColumn<Collected>("collected");
    QTest::addColumn<CopyRunEnd>("end");
    QTest::newRow("OK: the run goes on")
        << BoxButton::Ok << Collected::AfterItsCommit << CopyRunEnd::Completed;
    QTest::newRow("Abandon: the run ends")
        << BoxButton::Abandon << Collected::AfterItsCommit << CopyRunEnd::Abandoned;
    QTest::newRow("Abandon, found before a long copy")
        << BoxButton::Abandon << Collected::BeforeALongCopy << CopyRunEnd::Abandoned;
    QTest::newRow("Abandon, found before the free space is checked again")
        << BoxButton::Abandon << Collected::BeforeTheSpaceRetry << CopyRunEnd::Abandoned;
}

void CopyRunCommitTest::verificationMismatch()
{
    QFETCH(BoxButton, answer);
    QFETCH(Collected, collected);
    QFETCH(CopyRunEnd, end);
    CopyRunFixture f;
    f.write(QStringLiteral("src/bad/a.txt"), "new bytes");
    f.write(QStringLiteral("dest/bad/a.txt"), "old bytes", 3600);
    f.write(QStringLiteral("src/b.txt"), QByteArray(100, 'b'));
    f.addRow(QStringLiteral("/bad/a.txt"));
    f.addRow(QStringLiteral("/b.txt"));
    f.settings.FileCompareCopy = true;
    f.settings.commitInBackground = false;
    f.settings.commitFiles = collected == Collected::AfterItsCommit ? 1 : 256;
    f.settings.commitBytes = collected == Collected::BeforeALongCopy ? 50 : qint64(1) << 30;
    f.host.onEvent = [&](const QString &event) {
        if (collected == Collected::BeforeTheSpaceRetry && event == u"row 1")
            f.free = 10;
    };
    FaultyFileCalls calls;
    calls.corruptReads("bad/" + kTemp, 4);
    f.host.answer(answer);
    f.remember();

    QCOMPARE(f.run(&calls), end);

    QCOMPARE(f.host.texts(0),
             (QStringList{QStringLiteral("Copie..."), QStringLiteral("Copié"),
                          QStringLiteral("Vérification..."),
                          QStringLiteral("Erreur : la copie diffère de l'original")}));
    const QStringList events = f.host.events();
    const qsizetype code = events.indexOf(QStringLiteral("code 0 -1"));
    QVERIFY(code >= 0 && events.at(code + 1) == u"text 0 Erreur : la copie diffère de l'original");
    QCOMPARE(f.host.eventsOf(QStringLiteral("box")),
             QStringList{u"Warning|Le fichier \"a.txt\" n'a pas été copié correctement.\n"
                         u"Pour continuer la copie des autres fichiers (s'il en reste à copier), "
                         u"cliquez sur OK.\nPour arrêter la copie en cours, appuyez sur Abandon."
                         u"|OK,&Abandon|" +
                         QString::fromUtf8(answer == BoxButton::Ok ? "OK" : "&Abandon")});
    QCOMPARE(f.tree.read(QStringLiteral("dest/bad/a.txt")), QByteArray("old bytes"));
    if (answer == BoxButton::Ok) {
        QCOMPARE(f.host.texts(1).last(), QStringLiteral("Copié et vérifié"));
        QCOMPARE(f.changes(), QStringList{QStringLiteral("dest/b.txt")});
    } else {
        QCOMPARE(f.host.texts(1), QStringList()); // never begun
        QVERIFY(collected != Collected::AfterItsCommit ||
                !events.contains(QStringLiteral("row 1")));
        QCOMPARE(f.changes(), QStringList());
    }
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunCommitTest::verificationThatCannotReadKeepsTheCopy()
{
    CopyRunFixture f;
    f.write(QStringLiteral("src/a"), "new");
    f.write(QStringLiteral("dest/a"), "old", 3600);
    f.addRow(QStringLiteral("/a"));
    f.settings.FileCompareCopy = true;
    FaultyFileCalls calls;
    calls.fail(FileCall::Pread, EIO, kTemp);
    f.remember();

    QCOMPARE(f.run(&calls), CopyRunEnd::Completed);

    QCOMPARE(f.host.texts(0), (QStringList{QStringLiteral("Copie..."), QStringLiteral("Copié"),
                                           QStringLiteral("Vérification..."),
                                           QStringLiteral("Copié et non vérifié")}));
    QVERIFY(!f.host.events().contains(QStringLiteral("code 0 -1")));
    QCOMPARE(f.host.eventsOf(QStringLiteral("box")), QStringList());
    QCOMPARE(f.changes(), QStringList{QStringLiteral("dest/a")});
}

void CopyRunCommitTest::waitingCopiesReplaceTheirTargetsTogether()
{
    CopyRunFixture f;
    for (int i = 0; i < 5; ++i) {
        f.write(QStringLiteral("src/f%1").arg(i), "new");
        f.write(QStringLiteral("dest/f%1").arg(i), "old", 3600);
        f.addRow(QStringLiteral("/f%1").arg(i));
    }
    f.settings.commitFiles = 2;
    f.settings.commitMilliseconds = 1000000;
    f.settings.commitInBackground = false; // to see each pair go at a known moment
    QStringList seen;
    f.host.onEvent = [&](const QString &event) {
        if (!event.endsWith(u" Copie..."))
            return;
        QString state;
        for (int i = 0; i < 5; ++i)
            state += f.tree.read(QStringLiteral("dest/f%1").arg(i)) == "new" ? u'N' : u'o';
        seen << state;
    };

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    // Two by two, each pair after one flush; the last one at the end of the run.
    QCOMPARE(seen,
             (QStringList{QStringLiteral("ooooo"), QStringLiteral("ooooo"), QStringLiteral("NNooo"),
                          QStringLiteral("NNooo"), QStringLiteral("NNNNo")}));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(f.tree.read(QStringLiteral("dest/f%1").arg(i)), QByteArray("new"));
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunCommitTest::backgroundCommitsKeepEachRowsStagesAndEveryTarget_data()
{
    QTest::addColumn<bool>("verify");
    QTest::addColumn<int>("commitFiles");
    QTest::newRow("copy, one by one") << false << 1;
    QTest::newRow("copy and verify, one by one") << true << 1;
    QTest::newRow("copy and verify, three together") << true << 3;
}

// While a group of copies is flushed and renamed on another thread, the worker goes on: every
// row still shows its stages in order, and every target holds its old or its new content
// whenever the window hears of anything.
void CopyRunCommitTest::backgroundCommitsKeepEachRowsStagesAndEveryTarget()
{
    QFETCH(bool, verify);
    QFETCH(int, commitFiles);
    constexpr int kFiles = 8;
    CopyRunFixture f;
    for (int i = 0; i < kFiles; ++i) {
        f.write(QStringLiteral("src/f%1").arg(i), QByteArray(4096 + i, 'n'));
        f.write(QStringLiteral("dest/f%1").arg(i), "old", 3600);
        f.addRow(QStringLiteral("/f%1").arg(i));
    }
    f.settings.FileCompareCopy = verify;
    f.settings.commitFiles = commitFiles;
    f.settings.commitMilliseconds = 1000000;
    QStringList broken;
    f.host.onEvent = [&](const QString &event) {
        for (int i = 0; i < kFiles; ++i) {
            const QByteArray now = f.tree.read(QStringLiteral("dest/f%1").arg(i));
            if (now != "old" && now != QByteArray(4096 + i, 'n'))
                broken << event + QStringLiteral(": f%1 holds %2 bytes").arg(i).arg(now.size());
        }
    };

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    QCOMPARE(broken, QStringList());
    const QStringList stages =
        verify ? QStringList{QStringLiteral("Copie..."), QStringLiteral("Copié"),
                             QStringLiteral("Vérification..."), QStringLiteral("Copié et vérifié")}
               : QStringList{QStringLiteral("Copie..."), QStringLiteral("Copié")};
    for (int i = 0; i < kFiles; ++i) {
        QCOMPARE(f.host.texts(i), stages);
        QCOMPARE(f.tree.read(QStringLiteral("dest/f%1").arg(i)), QByteArray(4096 + i, 'n'));
    }
    // Every row is final before the run gives the list back.
    const QStringList events = f.host.events();
    QCOMPARE(events.mid(events.size() - 3),
             (QStringList{QStringLiteral("norow 1"), QStringLiteral("click 1"),
                          QStringLiteral("cursor 0")}));
    QCOMPARE(f.copyOrdinal(), kFiles + 1);
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunCommitTest::killedRunLeavesOldOrNewThenNextRunCleansUp_data()
{
    QTest::addColumn<FileCall>("call");
    QTest::addColumn<QByteArray>("part");
    QTest::addColumn<bool>("firstReplaced");
    QTest::addColumn<int>("temporaries");
    // Waiting copies have no name: only the one being renamed can be left behind.
    QTest::newRow("while copying the bytes") << FileCall::CopyFileRange << kTemp << false << 0;
    QTest::newRow("while flushing both") << FileCall::Syncfs << kTemp << false << 0;
    QTest::newRow("between the two renames")
        << FileCall::Rename << QByteArray("dest/b") << true << 1;
}

void CopyRunCommitTest::killedRunLeavesOldOrNewThenNextRunCleansUp()
{
    SKIP_THREADED_CHILD_UNDER_TSAN();
    QFETCH(FileCall, call);
    QFETCH(QByteArray, part);
    QFETCH(bool, firstReplaced);
    QFETCH(int, temporaries);
    CopyRunFixture f;
    const QByteArray big = patternBytes(2 * 1024 * 1024, 7);
    f.write(QStringLiteral("src/a"), big);
    f.write(QStringLiteral("dest/a"), "old a", 3600);
    f.write(QStringLiteral("src/b"), "new b");
    f.write(QStringLiteral("dest/b"), "old b", 3600);
    f.addRow(QStringLiteral("/a"));
    f.addRow(QStringLiteral("/b"));

    const ChildOutcome child = runInChild([&] {
        FaultyFileCalls calls;
        calls.before(call, part, [] { ::raise(SIGKILL); });
        f.run(&calls);
        return QByteArray("not killed");
    });

    QCOMPARE(child.signal, SIGKILL);
    QCOMPARE(f.tree.read(QStringLiteral("dest/a")), firstReplaced ? big : QByteArray("old a"));
    QCOMPARE(f.tree.read(QStringLiteral("dest/b")), QByteArray("old b"));
    QCOMPARE(f.temporaries().size(), temporaries);

    // The next run into that folder finds them stale: their locks died with the process.
    QCOMPARE(f.run(), CopyRunEnd::Completed);
    QCOMPARE(f.tree.read(QStringLiteral("dest/a")), big);
    QCOMPARE(f.tree.read(QStringLiteral("dest/b")), QByteArray("new b"));
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunCommitTest::whatAppearsInAFolderTheRunMadeIsMet_data()
{
    QTest::addColumn<FileCall>("call"); // something appears just before it
    QTest::addColumn<QByteArray>("part");
    QTest::addColumn<QString>("appears"); // a folder when it ends with '/'
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text"); // the beginning of that row's last text
    QTest::addColumn<QByteArray>("b"); // dest/n/b.txt afterwards, when a file

    QTest::newRow("nothing") << FileCall::Link << QByteArray("dest/n/b.txt") << QString() << 1
                             << QStringLiteral("Copié") << QByteArray("b");
    QTest::newRow("a file where a copy goes")
        << FileCall::Link << QByteArray("dest/n/b.txt") << QStringLiteral("dest/n/b.txt") << 1
        << QStringLiteral("Erreur : un fichier de ce nom est apparu") << QByteArray("appeared");
    QTest::newRow("a folder where a copy goes")
        << FileCall::Link << QByteArray("dest/n/b.txt") << QStringLiteral("dest/n/b.txt/") << 1
        << QStringLiteral("Erreur : un dossier porte ce nom") << QByteArray();
    QTest::newRow("a file where a folder goes")
        << FileCall::Mkdir << QByteArray("dest/n/m") << QStringLiteral("dest/n/m") << 2
        << QStringLiteral("Erreur : « ") << QByteArray("b");
}

// The run takes a folder it made for empty but for its own copies, and does not look for each
// target there: whatever appears there meanwhile is met when the copy is placed, and nothing of
// it is lost.
void CopyRunCommitTest::whatAppearsInAFolderTheRunMadeIsMet()
{
    QFETCH(FileCall, call);
    QFETCH(QByteArray, part);
    QFETCH(QString, appears);
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QByteArray, b);
    CopyRunFixture f;
    for (const QString &name :
         {QStringLiteral("n/a.txt"), QStringLiteral("n/b.txt"), QStringLiteral("n/m/c.txt")}) {
        f.write(u"src/" + name, name.section(u'/', -1).left(1).toLatin1());
        f.addRow(u'/' + name);
    }
    f.settings.commitInBackground = false;
    FaultyFileCalls calls;
    calls.before(call, part, [&] {
        if (appears.endsWith(u'/'))
            f.write(appears + u"inside", "kept");
        else if (!appears.isEmpty())
            f.write(appears, "appeared");
    });

    QCOMPARE(f.run(&calls), CopyRunEnd::Completed);

    QVERIFY2(f.host.texts(row).last().startsWith(text), qPrintable(f.host.texts(row).last()));
    QCOMPARE(f.tree.read(QStringLiteral("dest/n/a.txt")), QByteArray("a"));
    if (!b.isEmpty())
        QCOMPARE(f.tree.read(QStringLiteral("dest/n/b.txt")), b);
    if (appears.endsWith(u'/'))
        QCOMPARE(f.tree.read(appears + u"inside"), QByteArray("kept"));
    if (call == FileCall::Mkdir)
        QCOMPARE(f.tree.read(appears), QByteArray("appeared"));
    else
        QCOMPARE(f.tree.read(QStringLiteral("dest/n/m/c.txt")), QByteArray("c"));
    QCOMPARE(f.temporaries(), QStringList());
}

TANDRIMO_TEST(CopyRunCommitTest)
#include "tst_copyruncommit.moc"
