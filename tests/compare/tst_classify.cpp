#include "compare/datetime.h"
#include "compare/statuscode.h"
#include "support/refreshrecorder.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>

#include <ctime>

namespace {

constexpr qint64 kBaseNs = 1'710'064'800'000'000'000; // 2024-03-10 10:00:00 UTC
constexpr qint64 kMs = 1'000'000;
constexpr qint64 kMissing = -1;

double days(qint64 ns)
{
    return kUnixEpochDays + double(ns / kMs) / kMillisecondsPerDay;
}

} // namespace

class ClassifyTest : public QObject {
    Q_OBJECT

    QByteArray m_savedTz = qgetenv("TZ");

    static void setZone(const QByteArray &zone)
    {
        if (zone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", zone);
        ::tzset();
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void cleanupTestCase()
    {
        setZone(m_savedTz);
        QLocale::setDefault(QLocale::c());
    }
    void init() { setZone("UTC"); }

    // One file a.txt of 3 bytes on each side; times in ms after 10:00:00 UTC (the source's
    // millisecond carries 0.4 ms more, the destination's 0.9 ms). Exclusions: extensions,
    // "/..." relative paths.
    void verdicts_data()
    {
        QTest::addColumn<qint64>("source");
        QTest::addColumn<qint64>("destination");
        QTest::addColumn<int>("destinationSize");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("syncReadOnly");
        QTest::addColumn<QStringList>("exclusions");
        QTest::addColumn<QString>("verdict"); // "code|text|count"
        const struct {
            const char *name;
            qint64 source, destination;
            int size;
            bool readOnly, syncReadOnly;
            const char *exclusions, *verdict;
        } cases[] = {
            {"missing", 0, kMissing, 3, false, true, "", "0|A copier|1"},
            {"1.5 s newer", 1500, 0, 3, false, true, "", "4|A jour (<=2s)|0"},
            {"1.5 s, sizes differ", 1500, 0, 4, false, true, "", "0|A copier|1"},
            {"3 s older", 0, 3000, 3, false, true, "", "3|Incohérence !|0"},
            {"exactly 2 s", 2000, 0, 3, false, true, "", "4|A jour (<=2s)|0"},
            {"2.001 s", 0, 2001, 3, false, true, "", "3|Incohérence !|0"},
            {"same ms, sizes differ", 0, 0, 9, false, true, "", "5|A jour|0"},
            {"1 ms apart", 0, 1, 3, false, true, "", "4|A jour (<=2s)|0"},
            {"read-only, preference off", 0, 0, 3, true, false, "", "0|Lecture seule|0"},
            {"read-only, newer, off", 0, 9000, 3, true, false, "", "0|Lecture seule|0"},
            {"read-only, preference on", 0, 0, 3, true, true, "", "5|A jour|0"},
            {"extension, case ignored", 9000, 0, 3, false, true, ".TXT", "11|Exclu|0"},
            {"file, exact case only", 9000, 0, 3, false, true, "/A.TXT", "0|A copier|1"},
            {"extension before file", 9000, 0, 3, false, true, "/a.txt .txt", "11|Exclu|0"},
            {"exclusion before existence", 0, kMissing, 3, false, true, "/a.txt", "12|Exclu|0"}};
        for (const auto &c : cases)
            QTest::newRow(c.name) << c.source << c.destination << c.size << c.readOnly
                                  << c.syncReadOnly
                                  << QString(c.exclusions).split(' ', Qt::SkipEmptyParts)
                                  << QString(c.verdict);
    }
    void verdicts()
    {
        QFETCH(qint64, source);
        QFETCH(qint64, destination);
        QFETCH(int, destinationSize);
        QFETCH(bool, readOnly);
        QFETCH(bool, syncReadOnly);
        QFETCH(QStringList, exclusions);
        QFETCH(QString, verdict);
        TestTree tree;
        const qint64 sourceNs = kBaseNs + source * kMs + 400'000;
        const qint64 destinationNs = kBaseNs + destination * kMs + 900'000;
        QVERIFY(setModifiedNs(tree.writeFile("src/a.txt", "abc"), sourceNs));
        tree.makeFolder("dst");
        if (destination != kMissing) {
            QVERIFY(setModifiedNs(tree.writeFile("dst/a.txt", QByteArray(destinationSize, 'x')),
                                  destinationNs));
            QVERIFY(!readOnly || tree.setMode("dst/a.txt", 0444));
        }
        Fixture f(tree.path("src"), tree.path("dst"), false);
        f.prefs.FileSyncReadOnly = syncReadOnly;
        for (const QString &entry : exclusions)
            (entry.startsWith('/') ? f.project.FilesToExclude : f.project.ExtensionsToExclude)
                .add(entry);
        QVERIFY(f.refresh());
        const FileEntry &row = f.comparison.fileList().row(0);
        QCOMPARE(QString("%1|%2|%3")
                     .arg(row.statusCode)
                     .arg(row.statusText)
                     .arg(f.comparison.filesToCopyCount()),
                 verdict);
        QVERIFY(row.classified);
        // Times are written before the exclusion tests; an absent destination leaves its unset.
        QCOMPARE(row.dtSrc, days(sourceNs));
        QCOMPARE(row.dtDest, destination == kMissing ? 0.0 : days(destinationNs));
    }

    // A pass leaves up-to-date rows and message rows alone and examines every other row
    // afresh, whatever it held.
    void secondPass()
    {
        TestTree tree;
        for (const char *name : {"same.txt", "newer.dat", "user.dat"}) {
            QVERIFY(setModifiedNs(tree.writeFile(QString("dst/") + name, "abc"), kBaseNs));
            QVERIFY(setModifiedNs(tree.writeFile(QString("src/") + name, "abc"),
                                  kBaseNs + (name[0] == 's' ? 0 : 3600'000 * kMs)));
        }
        Fixture f(tree.path("src"), tree.path("dst"), false);
        QVERIFY(f.refresh());
        QCOMPARE(f.comparison.filesToCopyCount(), 2);
        f.comparison.fileList().setStatus(2, StatusExcludedByUser, "Exclu");
        f.comparison.AddErrorRow(StatusError, "* message *", "Erreur");
        f.project.ExtensionsToExclude.add(".txt");
        f.project.FilesToExclude.add("/newer.dat");
        f.host.log.clear();
        f.comparison.ClassifyFileList();
        QCOMPARE(
            f.rows(),
            (QStringList{"12|/newer.dat|.dat|3 Octets |Exclu", "5|/same.txt|.txt|3 Octets |A jour",
                         "0|/user.dat|.dat|3 Octets |A copier", "-1|* message *|||Erreur"}));
        QVERIFY(!f.comparison.fileList().row(3).classified);
        // Outside a refresh the pass is busy itself, so that nothing changes the list meanwhile.
        const QString search = "status Recherche des fichiers à mettre à jour... ";
        QCOMPARE(f.host.log,
                 (QStringList{"cursor+", "commands busy", search + "/ 4", search + "0 / 4",
                              search + "1 / 4", search + "2 / 4", search + "3 / 4", "cursor-",
                              "commands idle", "summary", "status 1 fichier à copier / 4"}));
        // A pass never looks at Stop: the list follows the exclusions whatever was stopped.
        f.comparison.StopRequested = true;
        f.project.ExtensionsToExclude.assign({});
        f.comparison.ClassifyFileList();
        QCOMPARE(f.comparison.filesToCopyCount(), 1);
        QCOMPARE(f.comparison.fileList().row(1).statusText, QStringLiteral("A jour"));
        QCOMPARE(f.comparison.summaryText(), QStringLiteral("1 fichier à copier / 4"));
    }

    // The zone's standard time in every season: 12:00 UTC reads 13:00 in Paris in summer as in
    // winter; both sides shift alike.
    void standardTime_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("hour");
        QTest::newRow("Paris, summer") << QByteArray("Europe/Paris") << QDate(2023, 7, 15) << 13;
        QTest::newRow("Paris, winter") << QByteArray("Europe/Paris") << QDate(2023, 1, 15) << 13;
        QTest::newRow("New York, summer")
            << QByteArray("America/New_York") << QDate(2023, 7, 15) << 7;
        QTest::newRow("UTC") << QByteArray("UTC") << QDate(2023, 1, 15) << 12;
    }
    void standardTime()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, date);
        QFETCH(int, hour);
        setZone(zone);
        TestTree tree;
        for (const char *file : {"src/a.txt", "dst/a.txt"})
            tree.writeFile(file, "x", QDateTime(date, QTime(12, 0), Qt::UTC));
        Fixture f(tree.path("src"), tree.path("dst"), false);
        QVERIFY(f.refresh());
        const double shown =
            days(QDateTime(date, QTime(hour, 0), Qt::UTC).toMSecsSinceEpoch() * kMs);
        QCOMPARE(f.comparison.fileList().row(0).dtSrc, shown);
        QCOMPARE(f.comparison.fileList().row(0).dtDest, shown);
        QCOMPARE(f.comparison.fileList().row(0).statusText, "A jour");
    }

    // A source gone after the listing: the refresh's own pass goes by what the listing read
    // (a refresh reads each source once); a later pass finds no time, older than an existing
    // destination and still due when the destination is missing too (the copy run then
    // reports the failure on the row).
    void sourceVanished()
    {
        TestTree tree;
        QVERIFY(setModifiedNs(tree.writeFile("src/gone.txt"), kBaseNs));
        QVERIFY(setModifiedNs(tree.writeFile("src/gone2.txt"), kBaseNs + 3600'000 * kMs));
        QVERIFY(setModifiedNs(tree.writeFile("dst/gone2.txt"), kBaseNs));
        Fixture f(tree.path("src"), tree.path("dst"), false);
        f.host.onStatus = [&tree](const QString &status) {
            if (status.endsWith("... / 2")) {
                QFile::remove(tree.path("src/gone.txt"));
                QFile::remove(tree.path("src/gone2.txt"));
            }
        };
        QVERIFY(f.refresh());
        QCOMPARE(f.rows(), (QStringList{"0|/gone.txt|.txt|0 Octets |A copier",
                                        "0|/gone2.txt|.txt|0 Octets |A copier"}));
        QCOMPARE(f.comparison.fileList().row(0).dtSrc, days(kBaseNs));
        f.comparison.ClassifyFileList();
        QCOMPARE(f.rows(), (QStringList{"0|/gone.txt|.txt|0 Octets |A copier",
                                        "3|/gone2.txt|.txt|0 Octets |Incohérence !"}));
        QCOMPARE(f.comparison.fileList().row(0).dtSrc, 0.0);
        QCOMPARE(f.comparison.filesToCopyCount(), 1);
    }
};

TANDRIMO_TEST(ClassifyTest)
#include "tst_classify.moc"
