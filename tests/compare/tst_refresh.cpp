#include "compare/folderchecks.h"
#include "compare/statuscode.h"
#include "platform/filestat.h"
#include "support/refreshrecorder.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>

#include <new>

namespace {

const QString kInaccessibleBox =
    "box 2 Le répertoire \"%1\" est inaccessible.\nS'il s'agit d'un lecteur de disque amovible, "
    "vérifiez si le support est bien présent.\nS'il s'agit d'un lecteur réseau, vérifiez votre "
    "connexion réseau.";
const QString kRootBox =
    "box 4 Le répertoire source spécifié est le répertoire principal d'un lecteur.\nL'opération "
    "qui va suivre (mise à jour de la liste des fichiers à copier, ou copie des fichiers) peut "
    "prendre plusieures minutes.\nSouhaitez-vous tout de même continuer ?";

const QString kCreateBox = "box 4 Le répertoire Destination \"%1\" n'existe pas.\n"
                           "Souhaitez-vous le créer ?";
const QString kRootDestinationBox =
    "box 4 Le répertoire destination spécifié (\"/\") est la racine du système de fichiers.\n"
    "La copie qui va suivre peut écrire des fichiers partout dans le système.\n"
    "Souhaitez-vous tout de même continuer ?";

} // namespace

class RefreshTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    // The first failing check wins: one row, its message, and the refresh ends silently.
    // "%R" stands for the test tree; a row "any" is not looked at; the box "!" is the warning
    // about the folder named in the row, "?" the question about a drive root, "+" the offer to
    // make the missing destination, "/" the question about a destination at the system's root;
    // every question is answered "&Non".
    void checks_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("box");
        const char *inaccessible = "-1|* Répertoire inaccessible : \"%1\" *|||Erreur";
        const char *identical = "-1|* Répertoire Source et Destination identiques *|||Erreur";
        const char *declined = "-1|Liste des fichiers à copier non raffraichie|||Info";
        const struct {
            const char *name, *source, *destination;
            bool recursive;
            QString row;
            const char *box;
        } cases[] = {
            {"source missing hides the rest", "%R/miss", "%R/miss", true,
             QString(inaccessible).arg("%R/miss"), "!"},
            {"source is a file", "%R/src/a.txt", "%R/dst", false,
             QString(inaccessible).arg("%R/src/a.txt"), "!"},
            {"source empty", "", "%R/dst", false, QString(inaccessible).arg(""), "!"},
            {"destination missing on a disk that is there", "%R/src", "%R/miss", false,
             QString(inaccessible).arg("%R/miss"), "+"},
            {"destination missing, its disk maybe absent", "%R/src", "/media/tandrimo-none/x",
             false, QString(inaccessible).arg("/media/tandrimo-none/x"), "!"},
            {"destination at the system's root", "%R/src", "/", false, declined, "/"},
            {"same text", "%R/src", "%R/src", false, identical, ""},
            {"same folder, trailing separator", "%R/src", "%R/src/", false, identical, ""},
            {"same folder through a link", "%R/link", "%R/src", false, identical, ""},
            {"same folder through ./..", "%R/src", "%R/dst/./../src", false, identical, ""},
            {"two folders differing in A-Z case", "%R/SRC", "%R/src", false, "", ""},
            {"accented case differs", "%R/É", "%R/é", false, "", ""},
            {"drive root declined", "/", "%R/dst", true, declined, "?"},
            {"mount point declined", "/proc", "%R/dst", true, declined, "?"},
            {"drive root, not recursive: no question", "/", "%R/dst", false, "any", ""}};
        for (const auto &c : cases)
            QTest::newRow(c.name) << c.source << c.destination << c.recursive << c.row << c.box;
    }
    void checks()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(bool, recursive);
        QFETCH(QString, row);
        QFETCH(QString, box);
        TestTree tree;
        tree.writeFile("src/a.txt", "abc");
        for (const char *folder : {"dst", "SRC", "É", "é"})
            tree.makeFolder(folder);
        QVERIFY(QFile::link(tree.path("src"), tree.path("link")));
        Fixture f(source.replace("%R", tree.root()), destination.replace("%R", tree.root()),
                  recursive);
        f.host.answers = {BoxButton::No};
        for (int i = 0; i < 5; ++i) {
            FileEntry &due = f.comparison.fileList().append();
            due.classified = true;
            due.statusCode = StatusToCopy;
        }
        f.comparison.recountRows();
        QCOMPARE(f.comparison.filesToCopyCount(), 5);
        const bool failed = row.startsWith("-1|");
        QCOMPARE(f.refresh(), !failed);
        row.replace("%R", tree.root());
        if (row != "any")
            QCOMPARE(f.rows(), row.isEmpty() ? QStringList() : QStringList{row});
        const QString named = row.section('"', 1, 1);
        const QString folderOfRow = QString(destination).replace("%R", tree.root());
        const QStringList boxes = box == "!"   ? QStringList{kInaccessibleBox.arg(named)}
                                  : box == "?" ? QStringList{kRootBox}
                                  : box == "+" ? QStringList{kCreateBox.arg(folderOfRow)}
                                  : box == "/" ? QStringList{kRootDestinationBox}
                                               : QStringList();
        QCOMPARE(f.host.log.filter(QRegularExpression("^box ")), boxes);
        QCOMPARE(f.host.cursorDepth, 0);
        QCOMPARE(f.host.log.contains("commands busy"), !failed);
        QVERIFY(!f.comparison.busy());
        if (failed) {
            QCOMPARE(f.comparison.filesToCopyCount(), 0);
            QCOMPARE(f.statuses().constLast(), Comparison::notRefreshedText());
        }
    }

    void driveRootAccepted()
    {
        Fixture f("/", "/tmp", true);
        f.host.answers = {BoxButton::Yes};
        QVERIFY(!confirmDriveRoot(f.comparison.listedFolders(), f.host));
        QCOMPARE(f.comparison.fileList().count(), 0);
        QCOMPARE(f.host.log, QStringList{kRootBox});
    }

    void fileSystemRoot()
    {
        TestTree tree;
        tree.writeFile("a.txt");
        QVERIFY(QFile::link("/", tree.path("toroot")));
        for (const QString &root : QStringList{"/", "//", "/proc", "/proc/", tree.path("toroot")})
            QVERIFY2(platform::isFileSystemRoot(root), qPrintable(root));
        for (const QString &other :
             QStringList{"/proc/self/fd", tree.root(), tree.path("a.txt"), tree.path("missing")})
            QVERIFY2(!platform::isFileSystemRoot(other), qPrintable(other));
    }

    // Every effect of a failed check, in order: the summary, the row, the box; no Busy.
    void failedCheckEffects()
    {
        TestTree tree;
        Fixture f(tree.path("missing"), tree.root(), false);
        QVERIFY(!f.refresh());
        QCOMPARE(f.host.log, (QStringList{"cursor+", "summary", "status Aucun fichier à copier / 0",
                                          "status Liste des fichiers à copier non raffraichie",
                                          kInaccessibleBox.arg(tree.path("missing")), "cursor-"}));
    }

    void refreshEffects()
    {
        TestTree tree;
        tree.writeFile("src/a.txt", "a");
        tree.writeFile("src/b.txt", "b");
        Fixture f(tree.path("src"), tree.makeFolder("dst"), false);
        f.comparison.StopRequested = true;
        QVERIFY(f.refresh());
        const QString listing = "status Listing fichiers en cours...";
        const QString search = "status Recherche des fichiers à mettre à jour... ";
        const QString summary = "status 2 fichiers à copier / 2";
        // The summary once, when the list is idle again.
        QCOMPARE(f.host.log,
                 (QStringList{"cursor+", "commands busy", listing, "cursor+", listing, "cursor-",
                              "cursor+", search + "/ 2", search + "0 / 2", search + "1 / 2",
                              "cursor-", "commands idle", "summary", summary, "cursor-"}));
        QVERIFY(!f.comparison.StopRequested);
    }

    // Stop seen while a sub-folder is scanned: the listing ends at the next entry, the rows
    // found so far stay unclassified, and nothing is due for copying.
    void stopDuringListing()
    {
        TestTree tree;
        for (const char *file : {"src/r1.txt", "src/sub/s1.txt", "src/sub/s2.txt"})
            tree.writeFile(file);
        Fixture f(tree.path("src"), tree.makeFolder("dst"), true);
        int listingMessages = 0;
        f.host.onStatus = [&f, &listingMessages](const QString &text) {
            // The third: the sub-folder begins, after the refresh's own and the root's.
            if (text == "Listing fichiers en cours..." && ++listingMessages == 3)
                f.comparison.StopRequested = true;
        };
        QVERIFY(f.refresh());
        const QStringList rows = f.rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], "0|/r1.txt|.txt|0 Octets |");
        QVERIFY(rows[1].startsWith("0|/sub/s") && rows[1].endsWith("|0 Octets |"));
        QVERIFY(!f.comparison.fileList().row(0).classified);
        QCOMPARE(f.comparison.filesToCopyCount(), 0);
        QCOMPARE(f.statuses().constLast(), Comparison::notRefreshedText());
        QVERIFY(!f.comparison.busy() && f.host.log.filter("Recherche").isEmpty());
    }

    // An error that cuts the listing short (out of memory, injected at the sub-folder's visit):
    // the rows listed until then are classified, a row and the summary tell that the list is
    // incomplete, and the refresh ends as usual.
    void listingCutShortByAnError_data()
    {
        QTest::addColumn<bool>("parallel");
        QTest::newRow("two threads") << true;
        QTest::newRow("one thread") << false;
    }
    void listingCutShortByAnError()
    {
        QFETCH(bool, parallel);
        TestTree tree;
        for (const char *file : {"src/r1.txt", "src/sub/s1.txt", "src/sub/s2.txt"})
            tree.writeFile(file);
        Fixture f(tree.path("src"), tree.makeFolder("dst"), true);
        f.comparison.ParallelListing = parallel;
        int listingMessages = 0;
        f.host.onStatus = [&listingMessages](const QString &text) {
            if (text == "Listing fichiers en cours..." && ++listingMessages == 3)
                throw std::bad_alloc();
        };
        QVERIFY(f.refresh());
        const QStringList rows = f.rows();
        QCOMPARE(rows.constLast(),
                 "-1|* Lecture de la liste interrompue *|||Erreur : mémoire insuffisante");
        QVERIFY(rows.size() < 4);
        QVERIFY(f.statuses().constLast().endsWith(" ; liste incomplète : lecture interrompue"));
        QVERIFY(!f.comparison.busy());
    }

    // "&Oui" to the offer: the missing destination is made, and the refresh goes on.
    void missingDestinationMadeOnYes()
    {
        TestTree tree;
        tree.writeFile("src/a.txt", "a");
        Fixture f(tree.path("src"), tree.path("new/dst"), false);
        f.host.answers = {BoxButton::Yes};
        QVERIFY(f.refresh());
        QVERIFY(QFileInfo(tree.path("new/dst")).isDir());
        QCOMPARE(f.rows(), QStringList{"0|/a.txt|.txt|1 Octets |A copier"});
    }

    // Pending input let through during a pass must not start a second walk of the rows.
    void reentryRefused()
    {
        TestTree tree;
        tree.writeFile("src/a.txt");
        Fixture f(tree.path("src"), tree.makeFolder("dst"), false);
        int refused = 0;
        f.host.onStatus = [&f, &refused](const QString &text) {
            if (!text.startsWith("Recherche"))
                return;
            for (auto call : {&Comparison::RefreshFileList, &Comparison::ClassifyFileList,
                              &Comparison::ListSourceFolder}) {
                try {
                    (f.comparison.*call)();
                } catch (const Abort &) {
                    ++refused;
                }
            }
        };
        QVERIFY(f.refresh());
        QCOMPARE(refused, 3 * 2); // before the loop and before the one row
        QCOMPARE(f.rows(), QStringList{"0|/a.txt|.txt|0 Octets |A copier"});
    }
};

TANDRIMO_TEST(RefreshTest)
#include "tst_refresh.moc"
