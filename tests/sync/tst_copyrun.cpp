#include "copyrunfixture.h"
#include "support/testfiles.h"

#include "platform/atomicwrite.h"
#include "support/childprocess.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <stdexcept>
#include <unistd.h>

using platform::FaultyFileCalls;
using platform::FileCall;

Q_DECLARE_METATYPE(CopyRunEnd)
Q_DECLARE_METATYPE(platform::FileCall)

namespace {

const QByteArray kTemp = platform::kTempPrefix;

enum class Fault {
    DiskFullMidFile,
    OriginUnreadable,
    OriginVanished,
    FolderRefusesFiles,
    RenameRefused,
    FlushFails,
    SourceChanged,
    RealDiskFull,
    RealUnreadable,
    RealFolderReadOnly,
};

// Three rows; the middle one, whose target exists in a folder of its own, meets the fault.
// The report tells what each row showed and what the run touched.
QByteArray faultScenario(Fault fault)
{
    CopyRunFixture f;
    const QByteArray big = patternBytes(300000, 1);
    const QByteArray old = patternBytes(1000, 2);
    f.write(QStringLiteral("src/a.txt"), "a");
    f.write(QStringLiteral("src/big/b.bin"), big);
    f.write(QStringLiteral("dest/big/b.bin"), old, 3600);
    f.write(QStringLiteral("src/c.txt"), "c");
    f.addRow(QStringLiteral("/a.txt"));
    f.addRow(QStringLiteral("/big/b.bin"));
    f.addRow(QStringLiteral("/c.txt"));

    FaultyFileCalls calls;
    const QByteArray bigTemp = "big/" + kTemp;
    switch (fault) {
    case Fault::DiskFullMidFile:
        calls.diskFullAfter(big.size() / 2, bigTemp);
        break;
    case Fault::OriginUnreadable:
        calls.fail(FileCall::Open, EACCES, "src/big/b.bin");
        break;
    case Fault::OriginVanished:
        QFile::remove(f.tree.path(QStringLiteral("src/big/b.bin")));
        break;
    case Fault::FolderRefusesFiles:
        calls.fail(FileCall::Open, EACCES, bigTemp);
        break;
    case Fault::RenameRefused:
        calls.fail(FileCall::Rename, EACCES, "dest/big/b.bin");
        break;
    case Fault::FlushFails: // the shared flush fails, then that file's own
        calls.fail(FileCall::Syncfs, EIO);
        calls.fail(FileCall::Fdatasync, EIO, bigTemp);
        break;
    case Fault::SourceChanged:
        calls.before(FileCall::Futimens, bigTemp, [&] {
            QFile file(f.tree.path(QStringLiteral("src/big/b.bin")));
            if (file.open(QIODevice::Append))
                file.write("grown while copied");
        });
        break;
    case Fault::RealDiskFull: {
        const QString disk = f.tree.path(QStringLiteral("dest/big"));
        QFile::remove(disk + QStringLiteral("/b.bin"));
        if (!mountPrivateTmpfs(disk, 128 * 1024))
            return "skip";
        f.write(QStringLiteral("dest/big/b.bin"), old, 3600);
        break;
    }
    case Fault::RealUnreadable:
    case Fault::RealFolderReadOnly:
        if (!becomeUnprivileged(f.tree.root()))
            return "skip";
        f.tree.setMode(fault == Fault::RealUnreadable ? QStringLiteral("src/big/b.bin")
                                                      : QStringLiteral("dest/big"),
                       fault == Fault::RealUnreadable ? 0 : 0555);
        break;
    }
    f.remember();
    const CopyRunEnd end = f.run(&calls);
    const QStringList changes = f.changes();
    const QByteArray temporaries = f.temporaries().join(u',').toUtf8();
    f.tree.setMode(QStringLiteral("dest/big"), 0755);
    f.tree.setMode(QStringLiteral("src/big/b.bin"), 0644);
    const bool oldKept = f.tree.read(QStringLiteral("dest/big/b.bin")) == old;
    if (fault == Fault::RealDiskFull)
        unmountPrivateTmpfs(f.tree.path(QStringLiteral("dest/big")));

    // The tree's own path, in a text that names a folder, reads "%R".
    return "b: " +
           f.host.texts(1).join(u',').replace(f.tree.root(), QStringLiteral("%R")).toUtf8() +
           "\nb panel 1: " + f.host.eventsOf(QStringLiteral("panel 1")).value(1).toUtf8() +
           "\na: " + f.host.texts(0).join(u',').toUtf8() +
           "\nc: " + f.host.texts(2).join(u',').toUtf8() +
           "\nold target: " + (oldKept ? "kept" : "lost") +
           "\nchanges: " + changes.join(u',').toUtf8() + "\ntemporaries: " + temporaries +
           "\ncopies begun: " + QByteArray::number(calls.count(FileCall::Open, bigTemp)) +
           "\nend: " + QByteArray::number(int(end));
}

QByteArray expectedReport(const QString &bTexts, const QString &bPanel, int copiesBegun,
                          bool originChanged = false)
{
    return "b: " + bTexts.toUtf8() + "\nb panel 1: " + bPanel.toUtf8() +
           "\na: Copie...,Copié\nc: Copie...,Copié\nold target: kept"
           "\nchanges: dest/a.txt,dest/c.txt" +
           QByteArray(originChanged ? ",src/big/b.bin" : "") +
           "\ntemporaries: \ncopies begun: " + QByteArray::number(copiesBegun) +
           "\nend: " + QByteArray::number(int(CopyRunEnd::Completed));
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class CopyRunTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void reportsEveryStageInOrder_data();
    void reportsEveryStageInOrder();
    void progressAsCopiesBegin_data();
    void progressAsCopiesBegin();
    void copyBackGoesFromDestinationToSource();
    void readOnlyAndHiddenTargets_data();
    void readOnlyAndHiddenTargets();
    void createsMissingFoldersThreeDeep();
    void folderInTargetsPlaceFailsTheRowOnly();
    void faultFailsOneRowAndTheRunGoesOn_data();
    void faultFailsOneRowAndTheRunGoesOn();
    void realFaultFailsOneRowAndTheRunGoesOn_data();
    void realFaultFailsOneRowAndTheRunGoesOn();
    void stopEndsTheRunAfterTheCurrentFile_data();
    void stopEndsTheRunAfterTheCurrentFile();
    void stopDuringTheQuestion();
    void insufficientSpace_data();
    void insufficientSpace();
    void onlyClassifiedDueRowsAreCopied();
    void emptyListOnlyTogglesTheCursor();
    void nameThatIsNotUtf8IsCopiedByItsBytes();
    void staleTemporariesGoFromFoldersCopiedInto();
    void errorEscapingTheLoopStillEndsItProperly();

private:
    QLocale m_locale;
};

void CopyRunTest::initTestCase()
{
    m_locale = QLocale();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

void CopyRunTest::cleanupTestCase()
{
    QLocale::setDefault(m_locale);
}

void CopyRunTest::reportsEveryStageInOrder_data()
{
    QTest::addColumn<bool>("verify");
    QTest::addColumn<int>("commitFiles");
    QTest::newRow("copy, each file replaced at once") << false << 1;
    QTest::newRow("copy and verify, each file replaced at once") << true << 1;
    QTest::newRow("copy, files replaced together") << false << 256;
    QTest::newRow("copy and verify, files replaced together") << true << 256;
}

void CopyRunTest::reportsEveryStageInOrder()
{
    QFETCH(bool, verify);
    QFETCH(int, commitFiles);
    CopyRunFixture f;
    f.write(QStringLiteral("src/a.txt"), "hello");
    f.write(QStringLiteral("src/b.txt"), QByteArray(1536, 'b'));
    f.addRow(QStringLiteral("/a.txt"));
    f.addRow(QStringLiteral("/b.txt"));
    f.settings.FileCompareCopy = verify;
    f.settings.commitFiles = commitFiles;
    // The whole order is fixed only when the worker commits the copies itself.
    f.settings.commitInBackground = false;

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    const QString a = f.src + QStringLiteral("/a.txt");
    const QString b = f.src + QStringLiteral("/b.txt");
    QStringList expected{QStringLiteral("cursor 1"), QStringLiteral("progress 0"),
                         QStringLiteral("norow 0"), QStringLiteral("click 0")};
    const auto begins = [&](int index, const QString &from, const QString &sizes, int percent) {
        expected << QStringLiteral("row %1").arg(index) << u"panel 1 " + sizes
                 << QStringLiteral("text %1 Copie...").arg(index) << u"panel 2 Copie de " + from
                 << QStringLiteral("progress %1").arg(percent);
        // Made, then verified: each stage in its order.
        if (verify)
            expected << QStringLiteral("text %1 Copié").arg(index);
    };
    // Handed over to be flushed (and verified), then each shown once in its target's place.
    const auto committed = [&](const QList<int> &indices) {
        for (const int index : indices) {
            if (verify)
                expected << QStringLiteral("text %1 Vérification...").arg(index)
                         << u"panel 2 Vérification de " + (index == 0 ? a : b);
        }
        for (const int index : indices)
            expected << QStringLiteral("text %1 ").arg(index) +
                            (verify ? QStringLiteral("Copié et vérifié") : QStringLiteral("Copié"));
    };
    begins(0, a, QStringLiteral("5 Octets  / 2,00 GO "), 50);
    if (commitFiles == 1)
        committed({0});
    // The progress counts the copies made, in their targets' places or still waiting.
    begins(1, b, QStringLiteral("1,50 KO  / 2,00 GO "), 100);
    committed(commitFiles == 1 ? QList<int>{1} : QList<int>{0, 1});
    expected << QStringLiteral("norow 1") << QStringLiteral("click 1")
             << QStringLiteral("cursor 0");
    QCOMPARE(f.host.events(), expected);
    QCOMPARE(f.copyOrdinal(), 3);

    // The copy keeps the origin's bytes, modification time and permission bits.
    QCOMPARE(f.tree.read(QStringLiteral("dest/b.txt")), QByteArray(1536, 'b'));
    QCOMPARE(factsOf(f.dest + QStringLiteral("/a.txt")).mtimeNs, factsOf(a).mtimeNs);
    QCOMPARE(factsOf(f.dest + QStringLiteral("/a.txt")).mode, factsOf(a).mode);
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunTest::progressAsCopiesBegin_data()
{
    QTest::addColumn<int>("count");   // FilesToCopyCount
    QTest::addColumn<int>("failing"); // row whose origin is gone, or -1
    QTest::addColumn<QList<int>>("progress");

    QTest::newRow("four copied") << 4 << -1 << QList<int>{0, 25, 50, 75, 100};
    QTest::newRow("second fails: no advance") << 4 << 1 << QList<int>{0, 25, 50, 50, 75};
    QTest::newRow("first fails") << 4 << 0 << QList<int>{0, 25, 25, 50, 75};
    QTest::newRow("division first, truncated") << 7 << -1 << QList<int>{0, 14, 28, 42, 57};
    QTest::newRow("beyond 100: a full bar") << 3 << -1 << QList<int>{0, 33, 66, 100, 100};
}

void CopyRunTest::progressAsCopiesBegin()
{
    QFETCH(int, count);
    QFETCH(int, failing);
    QFETCH(QList<int>, progress);
    CopyRunFixture f;
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("/f%1").arg(i);
        if (i != failing)
            f.write(u"src" + name, "x");
        f.addRow(name);
    }
    f.settings.FilesToCopyCount = count;
    // A copy counts once in place: each one placed before the next begins.
    f.settings.commitFiles = 1;
    f.settings.commitInBackground = false;
    f.remember();

    f.run();

    QCOMPARE(f.host.progress(), progress);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(f.host.texts(i).last(),
                 i == failing ? QStringLiteral("Erreur : fichier ou dossier introuvable")
                              : QStringLiteral("Copié"));
    QCOMPARE(f.changes().size(), failing < 0 ? 4 : 3);
}

void CopyRunTest::copyBackGoesFromDestinationToSource()
{
    CopyRunFixture f;
    f.write(QStringLiteral("src/a.txt"), "forward");
    f.write(QStringLiteral("src/b.txt"), "old source", 3600);
    const QString origin = f.write(QStringLiteral("dest/b.txt"), "newer destination");
    f.tree.setMode(QStringLiteral("dest/b.txt"), 0600);
    f.addRow(QStringLiteral("/a.txt"));
    f.addRow(QStringLiteral("/b.txt"), StatusToCopyBack);
    f.remember();

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    QCOMPARE(f.tree.read(QStringLiteral("src/b.txt")), QByteArray("newer destination"));
    QCOMPARE(f.tree.read(QStringLiteral("dest/b.txt")), QByteArray("newer destination"));
    QCOMPARE(f.changes(), (QStringList{QStringLiteral("dest/a.txt"), QStringLiteral("src/b.txt")}));
    QCOMPARE(f.host.eventsOf(QStringLiteral("panel 2")),
             (QStringList{u"Copie de " + f.src + u"/a.txt", u"Copie de " + f.dest + u"/b.txt"}));
    const QString copy = f.src + QStringLiteral("/b.txt");
    QCOMPARE(factsOf(copy).mtimeNs, factsOf(origin).mtimeNs);
    QCOMPARE(factsOf(copy).mode, 0600u);
    // Each target's own file system: the source's for a copy back.
    QCOMPARE(f.freeFolders, (QStringList{QStringLiteral("dest"), QStringLiteral("src")}));
}

void CopyRunTest::readOnlyAndHiddenTargets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<unsigned>("mode");
    QTest::addColumn<bool>("syncReadOnly");
    QTest::addColumn<FileCall>("failing"); // a call the double refuses; Mkdir: none
    QTest::addColumn<QStringList>("texts");

    const QStringList copied{QStringLiteral("Copie..."), QStringLiteral("Copié")};
    const QStringList passed{QStringLiteral("Lecture seule")};
    QTest::newRow("read-only, passed over")
        << "r.txt" << 0444u << false << FileCall::Mkdir << passed;
    QTest::newRow("read-only, replaced") << "r.txt" << 0444u << true << FileCall::Mkdir << copied;
    QTest::newRow("hidden, passed over? no") << ".h" << 0644u << false << FileCall::Mkdir << copied;
    QTest::newRow("hidden, sync on") << ".h" << 0644u << true << FileCall::Mkdir << copied;
    QTest::newRow("hidden and read-only, passed over")
        << ".h" << 0400u << false << FileCall::Mkdir << passed;
    QTest::newRow("hidden and read-only, replaced")
        << ".h" << 0400u << true << FileCall::Mkdir << copied;
    QTest::newRow("failed copy: the read-only target as it was")
        << "r.txt" << 0444u << true << FileCall::Rename
        << QStringList{QStringLiteral("Copie..."),
                       QStringLiteral("Erreur : le dossier « %R/dest » n'accepte pas de nouveau "
                                      "fichier (accès refusé)")};
    QTest::newRow("attributes unreadable: read-only")
        << "r.txt" << 0644u << false << FileCall::Lstat << passed;
}

// The old target's mode is never changed, not even to replace a read-only file: the rename
// replaces it as any other, the new file has the origin's bits, and a failed copy leaves the old
// one exactly as it was.
void CopyRunTest::readOnlyAndHiddenTargets()
{
    QFETCH(QString, name);
    QFETCH(unsigned, mode);
    QFETCH(bool, syncReadOnly);
    QFETCH(FileCall, failing);
    QFETCH(QStringList, texts);
    CopyRunFixture f;
    f.write(u"src/" + name, "new");
    f.tree.setMode(u"src/" + name, 0640);
    f.write(u"dest/" + name, "old", 3600);
    f.tree.setMode(u"dest/" + name, mode);
    f.addRow(u'/' + name);
    f.settings.FileSyncReadOnly = syncReadOnly;
    FaultyFileCalls calls;
    if (failing != FileCall::Mkdir)
        calls.fail(failing, EPERM, "dest/" + name.toUtf8());
    f.remember();

    f.run(&calls);

    QStringList shown = f.host.texts(0);
    shown.replaceInStrings(f.tree.root(), QStringLiteral("%R"));
    QCOMPARE(shown, texts);
    QCOMPARE(calls.count(FileCall::Chmod), 0);
    const bool replaced = texts.last() == u"Copié";
    QCOMPARE(f.tree.read(u"dest/" + name), replaced ? QByteArray("new") : QByteArray("old"));
    QCOMPARE(f.changes(), replaced ? QStringList{u"dest/" + name} : QStringList());
    if (replaced)
        QCOMPARE(factsOf(f.tree.path(u"dest/" + name)).mode, 0640u);
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunTest::createsMissingFoldersThreeDeep()
{
    CopyRunFixture f;
    f.write(QStringLiteral("src/x/y/z/f.txt"), "deep");
    f.addRow(QStringLiteral("/x/y/z/f.txt"));
    f.remember();

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    QCOMPARE(f.host.texts(0), (QStringList{QStringLiteral("Copie..."), QStringLiteral("Copié")}));
    QCOMPARE(f.changes(),
             (QStringList{QStringLiteral("dest/x"), QStringLiteral("dest/x/y"),
                          QStringLiteral("dest/x/y/z"), QStringLiteral("dest/x/y/z/f.txt")}));
    QCOMPARE(f.tree.read(QStringLiteral("dest/x/y/z/f.txt")), QByteArray("deep"));
}

void CopyRunTest::folderInTargetsPlaceFailsTheRowOnly()
{
    CopyRunFixture f;
    f.write(QStringLiteral("src/a.txt"), "file");
    f.write(QStringLiteral("dest/a.txt/inside"), "kept");
    f.write(QStringLiteral("src/b.txt"), "b");
    f.addRow(QStringLiteral("/a.txt"));
    f.addRow(QStringLiteral("/b.txt"));
    f.remember();

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    QCOMPARE(f.host.texts(0), (QStringList{QStringLiteral("Copie..."),
                                           QStringLiteral("Erreur : un dossier porte ce nom")}));
    QCOMPARE(f.host.texts(1), (QStringList{QStringLiteral("Copie..."), QStringLiteral("Copié")}));
    QCOMPARE(f.changes(), QStringList{QStringLiteral("dest/b.txt")});
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunTest::faultFailsOneRowAndTheRunGoesOn_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("texts");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("copiesBegun");

    // The row says why, in French.
    const QString failed = QStringLiteral("Copie...,Erreur : ");
    const QString sizes = QStringLiteral("292,97 KO  / 2,00 GO ");
    QTest::newRow("destination full in the middle of the file")
        << Fault::DiskFullMidFile << failed + "disque plein" << sizes << 2;
    QTest::newRow("origin unreadable")
        << Fault::OriginUnreadable << failed + "accès refusé" << sizes << 0;
    QTest::newRow("origin vanished after the listing")
        << Fault::OriginVanished << failed + "fichier ou dossier introuvable"
        << QStringLiteral("-.-- Octets  / 2,00 GO ") << 0;
    // The folder is the cause, and the text names it.
    const QString folderRefuses = QStringLiteral(
        "le dossier « %R/dest/big » n'accepte pas de nouveau fichier (accès refusé)");
    QTest::newRow("target folder refuses new files")
        << Fault::FolderRefusesFiles << failed + folderRefuses << sizes << 2;
    QTest::newRow("rename refused") << Fault::RenameRefused << failed + folderRefuses << sizes << 1;
    QTest::newRow("flush fails") << Fault::FlushFails
                                 << failed + "erreur de lecture ou d'écriture sur le support"
                                 << sizes << 1;
    QTest::newRow("origin changed during its copy: no second attempt")
        << Fault::SourceChanged << failed + "le fichier d'origine a changé pendant la copie"
        << sizes << 1;
}

void CopyRunTest::faultFailsOneRowAndTheRunGoesOn()
{
    QFETCH(Fault, fault);
    QFETCH(QString, texts);
    QFETCH(QString, panel);
    QFETCH(int, copiesBegun);

    QCOMPARE(faultScenario(fault),
             expectedReport(texts, panel, copiesBegun, fault == Fault::SourceChanged));
}

void CopyRunTest::realFaultFailsOneRowAndTheRunGoesOn_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("copiesBegun");
    QTest::newRow("destination full (tmpfs)") << Fault::RealDiskFull << "disque plein" << 2;
    QTest::newRow("origin unreadable (mode 000)") << Fault::RealUnreadable << "accès refusé" << 0;
    QTest::newRow("target folder read-only (mode 555)")
        << Fault::RealFolderReadOnly
        << "le dossier « %R/dest/big » n'accepte pas de nouveau fichier (accès refusé)" << 2;
}

void CopyRunTest::realFaultFailsOneRowAndTheRunGoesOn()
{
    SKIP_THREADED_CHILD_UNDER_TSAN();
    QFETCH(Fault, fault);
    QFETCH(QString, reason);
    QFETCH(int, copiesBegun);

    const ChildOutcome child = runInChild([&] { return faultScenario(fault); });

    QVERIFY(child.exited);
    if (child.output == "skip")
        QSKIP("This fault needs root to be made for real (an unprivileged user, a private "
              "tmpfs); the double makes it above.");
    QCOMPARE(child.output, expectedReport(u"Copie...,Erreur : " + reason,
                                          QStringLiteral("292,97 KO  / 2,00 GO "), copiesBegun));
}

void CopyRunTest::stopEndsTheRunAfterTheCurrentFile_data()
{
    QTest::addColumn<bool>("verify");
    QTest::newRow("copy") << false;
    QTest::newRow("copy and verify: a small file is still verified") << true;
}

void CopyRunTest::stopEndsTheRunAfterTheCurrentFile()
{
    QFETCH(bool, verify);
    CopyRunFixture f;
    for (const char *name : {"a", "b", "c"})
        f.write(u"src/" + QString::fromLatin1(name), name);
    f.addRow(QStringLiteral("/a"));
    f.addRow(QStringLiteral("/b"));
    f.addRow(QStringLiteral("/c"));
    f.settings.FileCompareCopy = verify;
    FaultyFileCalls calls;
    // Stop is pressed while the second file is being copied.
    calls.before(FileCall::Futimens, kTemp, [] {});
    calls.before(FileCall::Futimens, kTemp, [&] { f.stop = true; });
    f.remember();

    QCOMPARE(f.run(&calls), CopyRunEnd::Stopped);

    QCOMPARE(f.host.texts(1).last(),
             verify ? QStringLiteral("Copié et vérifié") : QStringLiteral("Copié"));
    QVERIFY(!f.host.events().contains(QStringLiteral("row 2")));
    QCOMPARE(f.host.events().mid(f.host.events().size() - 3),
             (QStringList{QStringLiteral("norow 1"), QStringLiteral("click 1"),
                          QStringLiteral("cursor 0")}));
    QCOMPARE(f.changes(), (QStringList{QStringLiteral("dest/a"), QStringLiteral("dest/b")}));
    QVERIFY(f.stop); // nothing clears it when a run ends
}

void CopyRunTest::stopDuringTheQuestion()
{
    CopyRunFixture f;
    f.write(QStringLiteral("src/a"), "a");
    f.write(QStringLiteral("src/b"), "b");
    f.addRow(QStringLiteral("/a"));
    f.addRow(QStringLiteral("/b"));
    f.settings.FileCompareCopy = true;
    // The first copy is verified, and the question asked, before the second begins.
    f.settings.commitFiles = 1;
    f.settings.commitInBackground = false;
    FaultyFileCalls calls;
    calls.corruptReads("dest/" + kTemp);
    f.host.onMessage = [&] { f.stop = true; };
    f.host.answer(BoxButton::Ok);
    f.remember();

    QCOMPARE(f.run(&calls), CopyRunEnd::Stopped);

    QCOMPARE(f.host.eventsOf(QStringLiteral("box")).size(), 1);
    QVERIFY(!f.host.events().contains(QStringLiteral("row 1")));
    QCOMPARE(f.changes(), QStringList());
    QCOMPARE(f.temporaries(), QStringList());
}

void CopyRunTest::insufficientSpace_data()
{
    QTest::addColumn<int>("size"); // of the first file; -1: its origin is gone
    QTest::addColumn<double>("free");
    QTest::addColumn<QString>("box"); // empty: no box, the row is copied (or fails)

    QTest::newRow("one byte short") << 1500 << 1499.0
                                    << "Espace disque Destination insuffisant !\nEspace disque "
                                       "Destination libre = 1,46 KO \nTaille du fichier à "
                                       "copier : 1,46 KO ";
    QTest::newRow("exactly the free space") << 1500 << 1500.0 << QString();
    QTest::newRow("free space unknown") << 10 << -1.0
                                        << "Espace disque Destination insuffisant !\nEspace "
                                           "disque Destination libre = -.-- Octets \nTaille du "
                                           "fichier à copier : 10 Octets ";
    QTest::newRow("empty file, no free space") << 0 << 0.0 << QString();
    QTest::newRow("origin gone passes the check") << -1 << 0.0 << QString();
}

void CopyRunTest::insufficientSpace()
{
    QFETCH(int, size);
    QFETCH(double, free);
    QFETCH(QString, box);
    CopyRunFixture f;
    f.write(QStringLiteral("src/first"), "first");
    f.addRow(QStringLiteral("/first"));
    if (size >= 0)
        f.write(QStringLiteral("src/a"), QByteArray(size, 'a'));
    f.addRow(QStringLiteral("/a"));
    f.write(QStringLiteral("src/z"), "");
    f.addRow(QStringLiteral("/z"));
    f.free = free;
    f.host.answer(BoxButton::Ok);
    // The first row fits in any case: its copy is in place when the box is shown.
    f.free = 1e12;
    bool firstInPlace = false;
    f.host.onEvent = [&](const QString &event) {
        if (event == u"row 1")
            f.free = free;
        if (event.startsWith(u"box "))
            firstInPlace = f.tree.read(QStringLiteral("dest/first")) == "first";
    };
    f.remember();

    const CopyRunEnd end = f.run();

    if (box.isEmpty()) {
        QCOMPARE(end, CopyRunEnd::Completed);
        QCOMPARE(f.host.eventsOf(QStringLiteral("box")), QStringList());
        QCOMPARE(f.host.texts(1).last(),
                 size < 0 ? QStringLiteral("Erreur : fichier ou dossier introuvable")
                          : QStringLiteral("Copié"));
        return;
    }
    QCOMPARE(end, CopyRunEnd::InsufficientSpace);
    QCOMPARE(f.host.eventsOf(QStringLiteral("box")), QStringList{u"Plain|" + box + u"|OK|OK"});
    QVERIFY(firstInPlace);
    QCOMPARE(f.host.texts(1), QStringList()); // the row keeps its text
    QVERIFY(!f.host.events().contains(QStringLiteral("row 2")));
    QCOMPARE(f.changes(), QStringList{QStringLiteral("dest/first")});
}

void CopyRunTest::onlyClassifiedDueRowsAreCopied()
{
    CopyRunFixture f;
    for (const char *name : {"a", "b", "c", "d", "e"}) {
        f.write(u"src/" + QString::fromLatin1(name), name);
        f.write(u"dest/" + QString::fromLatin1(name), "old", 3600);
    }
    f.addRow(QStringLiteral("/a"));
    f.addRow(QStringLiteral("/b"), StatusToCopy, false); // listed, never classified
    f.addRow(QStringLiteral("/c"), StatusInconsistent);
    f.addRow(QStringLiteral("/d"), StatusExcludedByUser);
    f.addRow(QStringLiteral("/e"), StatusToCopyBack);
    f.remember();

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    QCOMPARE(f.host.eventsOf(QStringLiteral("row")),
             (QStringList{QStringLiteral("0"), QStringLiteral("4")}));
    QCOMPARE(f.changes(), (QStringList{QStringLiteral("dest/a"), QStringLiteral("src/e")}));
}

void CopyRunTest::emptyListOnlyTogglesTheCursor()
{
    CopyRunFixture f;
    f.settings.FilesToCopyCount = 1;
    QCOMPARE(f.run(), CopyRunEnd::NoRows);
    QCOMPARE(f.host.events(),
             (QStringList{QStringLiteral("cursor 1"), QStringLiteral("cursor 0")}));
}

void CopyRunTest::nameThatIsNotUtf8IsCopiedByItsBytes()
{
    CopyRunFixture f;
    const QByteArray name = "caf\xe9.txt";
    const QByteArray origin = nativePath(f.src) + '/' + name;
    FILE *handle = ::fopen(origin.constData(), "w");
    QVERIFY(handle != nullptr);
    ::fputs("latin-1 name", handle);
    ::fclose(handle);
    const int row = f.addRow(u'/' + QString::fromLatin1(name));
    f.list.row(row).rawFiles = '/' + name;
    f.remember();

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    QCOMPARE(f.host.texts(0).last(), QStringLiteral("Copié"));
    const QByteArray target = nativePath(f.dest) + '/' + name;
    FILE *copy = ::fopen(target.constData(), "r");
    QVERIFY(copy != nullptr);
    char buffer[32] = {};
    QVERIFY(::fgets(buffer, sizeof buffer, copy) != nullptr);
    ::fclose(copy);
    QCOMPARE(QByteArray(buffer), QByteArray("latin-1 name"));
    // The temporary folder's removal reads names as text: these two go by their bytes.
    QVERIFY(::unlink(origin.constData()) == 0 && ::unlink(target.constData()) == 0);
}

// Only what the program provably made goes: a user's file of the same pattern stays, and is
// copied like any other.
void CopyRunTest::staleTemporariesGoFromFoldersCopiedInto()
{
    CopyRunFixture f;
    const QString user = QString::fromLatin1(kTemp) + u"dead02";
    f.write(u"dest/sub/" + user, "the user's own, of the same pattern");
    f.write(QStringLiteral("dest/sub/.keep"), "a hidden file of the user");
    f.write(u"src/sub/" + user, "the user's source file");
    f.write(QStringLiteral("src/sub/a"), "a");
    f.tree.makeFolder(QStringLiteral("dest/other"));
    // Left by a killed run on a file system without unnamed files: named from the start.
    QByteArray stale[2];
    for (const char *folder : {"dest/sub", "dest/other"}) {
        FaultyFileCalls calls;
        calls.fail(FileCall::Open, EOPNOTSUPP, kTemp, 0, 1);
        platform::ScopedFileCalls scope(calls);
        QByteArray &name = stale[folder[5] == 's' ? 0 : 1];
        const int fd = platform::createTemporaryFile(nativePath(f.tree.path(folder)), 0600, &name);
        QVERIFY(fd >= 0 && !name.isEmpty());
        ::close(fd);
    }
    f.addRow(QStringLiteral("/sub/a"));
    f.addRow(u"/sub/" + user);
    f.remember();

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    const QString removed = QDir(f.tree.root()).relativeFilePath(QFile::decodeName(stale[0]));
    QStringList changed{QStringLiteral("dest/sub/a"), u"dest/sub/" + user, removed};
    changed.sort();
    QCOMPARE(f.changes(), changed);
    QCOMPARE(f.tree.read(u"dest/sub/" + user), QByteArray("the user's source file"));
    QVERIFY(QFile::exists(QFile::decodeName(stale[1]))); // not a folder copied into
}

void CopyRunTest::errorEscapingTheLoopStillEndsItProperly()
{
    CopyRunFixture f;
    f.write(QStringLiteral("src/a"), "a");
    f.write(QStringLiteral("src/b"), "b");
    f.addRow(QStringLiteral("/a"));
    f.addRow(QStringLiteral("/b"));
    f.host.onEvent = [](const QString &event) {
        if (event == u"row 1")
            throw std::runtime_error("window gone");
    };
    f.remember();

    QCOMPARE(f.run(), CopyRunEnd::Error);
    QCOMPARE(f.errorText(), QStringLiteral("window gone"));

    // The copy made before the error is in place; the window gets its cursor and list back.
    QCOMPARE(f.changes(), QStringList{QStringLiteral("dest/a")});
    QCOMPARE(f.temporaries(), QStringList());
    QCOMPARE(f.host.events().mid(f.host.events().size() - 3),
             (QStringList{QStringLiteral("norow 1"), QStringLiteral("click 1"),
                          QStringLiteral("cursor 0")}));
}

TANDRIMO_TEST(CopyRunTest)
#include "tst_copyrun.moc"
