#include "copyrunfixture.h"
#include "support/childprocess.h"

#include "platform/temporaryfile.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"
#include "sync/copyrunreport.h"

#include <QLocale>
#include <QTest>

// What a run tells the user at its end: each failed copy with its reason, and the copies whose
// file system could not keep their time; and the free space it checks, which is that of each
// target's own file system.
class CopyRunReportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }
    void report_data();
    void report();
    void failuresAreKeptInOrder();
    void timesTheFileSystemCouldNotKeep();
    void diskMountedInsideTheDestination();
};

void CopyRunReportTest::report_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("timesNotKept");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("tail");

    QTest::newRow("nothing to tell") << 0 << 0 << QString() << QString();
    QTest::newRow("one failure") << 1 << 0 << "La copie d'un fichier a échoué :\n/f0 : disque plein"
                                 << "/f0 : disque plein";
    QTest::newRow("twenty: all named") << 20 << 0 << "La copie de 20 fichiers a échoué :"
                                       << "/f19 : disque plein";
    QTest::newRow("twenty-one: one more") << 21 << 0 << "La copie de 21 fichiers a échoué :"
                                          << "/f19 : disque plein\n... et 1 autre fichier.";
    QTest::newRow("thirty: ten more") << 30 << 0 << "La copie de 30 fichiers a échoué :"
                                      << "/f19 : disque plein\n... et 10 autres fichiers.";
    QTest::newRow("one time not kept")
        << 0 << 1
        << "Le système de fichiers de la copie n'a pas pu garder l'heure de modification exacte "
           "d'un fichier copié (/t0) : la prochaine comparaison ne le verra pas à jour."
        << "";
    QTest::newRow("failures, then times")
        << 1 << 3 << "La copie d'un fichier a échoué :\n/f0 : disque plein\n\n"
        << "exacte de 3 fichiers copiés (dont /t0) : la prochaine comparaison ne les verra pas à "
           "jour.";
}

void CopyRunReportTest::report()
{
    QFETCH(int, failures);
    QFETCH(int, timesNotKept);
    QFETCH(QString, head);
    QFETCH(QString, tail);
    std::vector<CopyFailure> failed;
    for (int i = 0; i < failures; ++i)
        failed.push_back({i, QStringLiteral("/f%1").arg(i), QStringLiteral("disque plein")});
    QStringList times;
    for (int i = 0; i < timesNotKept; ++i)
        times.append(QStringLiteral("/t%1").arg(i));

    const QString text = copyRunReport(failed, times);

    QVERIFY2(text.startsWith(head), qPrintable(text));
    QVERIFY2(text.endsWith(tail), qPrintable(text));
    QCOMPARE(text.count(u"/f"), qMin(failures, kMaxNamedFailures));
}

// Failures at staging and at the commit are both kept, with their rows, in the order they came.
void CopyRunReportTest::failuresAreKeptInOrder()
{
    CopyRunFixture f;
    f.write(QStringLiteral("src/a.txt"), "a");
    f.write(QStringLiteral("dest/b.txt/inside"), "a folder in the way");
    f.write(QStringLiteral("src/b.txt"), "b");
    f.addRow(QStringLiteral("/a.txt"));
    f.addRow(QStringLiteral("/b.txt"));
    f.addRow(QStringLiteral("/gone.txt"));
    f.settings.FilesToCopyCount = 3;

    CopyRun run(CopyRunSnapshot::take(f.list), f.settings, f.stop, f.host,
                [](const QByteArray &, int) { return 1e12; });
    run.JvThread1Execute();
    QCOMPARE(int(run.failures().size()), 2);
    QCOMPARE(run.failures()[0].index, 1);
    QCOMPARE(run.failures()[0].explanation, QStringLiteral("un dossier porte ce nom"));
    QCOMPARE(run.failures()[1].files, QStringLiteral("/gone.txt"));
    QCOMPARE(run.failures()[1].explanation, QStringLiteral("fichier ou dossier introuvable"));
    QVERIFY(f.host.eventsOf(QStringLiteral("detail 1")).value(0).contains(u"EISDIR"));
}

// A file system that refuses to set times keeps the copy; the run notes it for its report.
void CopyRunReportTest::timesTheFileSystemCouldNotKeep()
{
    CopyRunFixture f;
    for (const char *name : {"/a", "/b", "/c"}) {
        f.write(u"src" + QLatin1String(name), name, 3600);
        f.addRow(QLatin1String(name));
    }
    f.settings.FilesToCopyCount = 3;
    platform::FaultyFileCalls calls;
    calls.fail(platform::FileCall::Futimens, ENOSYS, platform::kTempPrefix, 1, 1);
    f.settings.fileCalls = &calls;

    CopyRun run(CopyRunSnapshot::take(f.list), f.settings, f.stop, f.host,
                [](const QByteArray &, int) { return 1e12; });
    run.JvThread1Execute();

    QCOMPARE(run.timesNotKept(), QStringList{QStringLiteral("/b")});
    QVERIFY(run.failures().empty());
    QCOMPARE(f.host.texts(1).last(), QStringLiteral("Copié"));
    QCOMPARE(f.tree.read(QStringLiteral("dest/b")), QByteArray("/b"));
}

// A small disk mounted inside the destination is checked for itself: the run stops with the
// space message before it begins a copy that could not fit there.
void CopyRunReportTest::diskMountedInsideTheDestination()
{
    const ChildOutcome child = runInChild([] {
        CopyRunFixture f;
        const QString disk = f.tree.makeFolder(QStringLiteral("dest/disk"));
        if (!mountPrivateTmpfs(disk, 64 * 1024))
            return QByteArray("skip");
        f.write(QStringLiteral("src/disk/big.bin"), QByteArray(200 * 1024, 'x'));
        f.addRow(QStringLiteral("/disk/big.bin"));
        f.realFreeSpace = true;
        f.host.answer(BoxButton::Ok);
        const CopyRunEnd end = f.run();
        const QByteArray report = QByteArray::number(int(end)) + '|' +
                                  f.host.eventsOf(QStringLiteral("panel 1")).join(u',').toUtf8() +
                                  '|' + f.host.texts(0).join(u',').toUtf8();
        unmountPrivateTmpfs(disk);
        return report;
    });

    QVERIFY(child.exited);
    if (child.output == "skip")
        QSKIP("A private tmpfs needs root and mount namespaces.");
    QCOMPARE(child.output,
             QByteArray::number(int(CopyRunEnd::InsufficientSpace)) + "|200,00 KO  / 64,00 KO |");
}

TANDRIMO_TEST(CopyRunReportTest)
#include "tst_copyrunreport.moc"
