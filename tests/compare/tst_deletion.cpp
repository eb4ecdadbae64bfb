#include "compare/deletion.h"
#include "compare/filelist.h"
#include "compare/foldersoflist.h"
#include "project/project.h"
#include "project/userprefs.h"
#include "support/childprocess.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A project over src/ and dst/ of a test tree, with every row selected; the questions are
// recorded and answered from a script, "&Oui" once it runs out.
struct Setup : DeletionHost {
    TestTree tree;
    TProject project;
    UserPrefs prefs;
    FileList rows;
    QList<int> selected;
    QStringList asked;
    QList<bool> answers;

    Setup()
    {
        project.SrcPath = tree.makeFolder("src");
        project.DestPath = tree.makeFolder("dst");
    }
    bool confirm(const QString &question) override
    {
        asked << question;
        return answers.isEmpty() || answers.takeFirst();
    }
    bool goOnAfterError(const QString &text) override { return confirm("! " + text); }
    void addRow(const QByteArray &relative, bool message = false)
    {
        FileEntry &row = rows.append();
        row.files = QFile::decodeName(relative);
        row.rawFiles = QFile::encodeName(row.files) == relative ? QByteArray() : relative;
        row.message = message;
        selected << rows.count() - 1;
    }
    DeletionResult run(Command command)
    {
        for (const DeletionCommandEntry &entry : kDeletionCommands) {
            if (entry.command == command)
                return runDeletion(entry.choice, rows, selected, FoldersOfList::of(project), prefs,
                                   *this);
        }
        return {};
    }
    QByteArray raw(const QByteArray &relative) const
    {
        return QFile::encodeName(tree.root()) + '/' + relative;
    }
    bool exists(const QByteArray &relative) const
    {
        struct stat st {};
        return ::lstat(raw(relative).constData(), &st) == 0;
    }
    bool make(const QByteArray &relative) const
    {
        const int fd = ::open(raw(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }
    // What the trash holds in files/, as many as in info/.
    qsizetype trashed() const
    {
        const auto count = [this](const char *folder) {
            return QDir(tree.path(folder))
                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                .size();
        };
        return count("data/Trash/files") == count("data/Trash/info") ? count("data/Trash/files")
                                                                     : -1;
    }
};

} // namespace

class DeletionTest : public QObject {
    Q_OBJECT

private slots:
    // The home trash, on the test trees' own volume.
    void init()
    {
        m_saved = {qgetenv("HOME"), qgetenv("XDG_DATA_HOME")};
        qputenv("HOME", QFile::encodeName(QDir::tempPath()));
    }
    void cleanup()
    {
        qputenv("HOME", m_saved.first);
        qputenv("XDG_DATA_HOME", m_saved.second);
    }
    void deletes_data();
    void deletes();
    void linkedFolderOnTheWay();
    void cancelledDeletionChangesNothing_data();
    void cancelledDeletionChangesNothing();
    void fileThatCannotGo();
    void tenThousandRows();

private:
    QPair<QByteArray, QByteArray> m_saved;
};

// Rows: a file and a link on both sides, a source file alone, a file whose twin became a
// folder, a file gone from both sides, a name that is not UTF-8 (beside the name its text
// reads as, which has no row), a name with a line break (the trash keeps both names whole), links
// in the source to a folder and to nothing (no files: passed over and told, as the folder is),
// and a message row. prefs: the preferences before, "s" source, "d" destination, "t" trash.
void DeletionTest::deletes_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("prefs");
    QTest::addColumn<bool>("select");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("source");
    QTest::addColumn<bool>("destination");
    using enum Command;
    const auto add = [](const char *name, Command command, const char *prefs, QStringList asked,
                        bool source, bool destination, bool select = true) {
        QTest::newRow(name) << int(command) << prefs << select << asked << source << destination;
    };
    const QString bothTexts = "des répertoires source et destination ?";
    add("source to trash", ActFileDeleteSrcInTrash, "d",
        {"Mettre 6 fichiers du répertoire source dans la poubelle ?"}, true, false);
    add("destination to trash", ActFileDeleteDestInTrash, "s",
        {"Mettre 2 fichiers du répertoire destination dans la poubelle ?"}, false, true);
    add("both to trash", ActFileDeleteSrcAndDestInTrash, "",
        {"Mettre 8 fichiers des répertoires source et destination dans la poubelle ?"}, true, true);
    add("source for good", ActFileDeleteSrcFull, "dt",
        {"Supprimer définitivement 6 fichiers du répertoire source ?"}, true, false);
    add("destination for good", ActFileDeleteDestFull, "st",
        {"Supprimer définitivement 2 fichiers du répertoire destination ?"}, false, true);
    add("both for good", ActFileDeleteSrcAndDestFull, "t",
        {"Supprimer définitivement 8 fichiers " + bothTexts}, true, true);
    add("general, to trash: no question", ActFileDelete, "dt", {}, false, true);
    add("general, for good", ActFileDelete, "sd",
        {"Supprimer définitivement 8 fichiers " + bothTexts}, true, true);
    add("general, no folder", ActFileDelete, "t", {}, false, false);
    add("no row: nothing stored", ActFileDeleteSrcFull, "dt", {}, false, false, false);
}

void DeletionTest::deletes()
{
    QFETCH(int, command);
    QFETCH(QString, prefs);
    QFETCH(bool, select);
    QFETCH(QStringList, asked);
    QFETCH(bool, source);
    QFETCH(bool, destination);
    Setup s;
    qputenv("XDG_DATA_HOME", QFile::encodeName(s.tree.path("data")));
    const QList<QByteArray> odd{"src/bad\xff", "src/line\nbreak", "src/bad\xef\xbf\xbd"};
    const auto removeOdd = qScopeGuard([&] {
        for (const QByteArray &name : odd) { // QDir cannot remove a name that is not UTF-8
            ::unlink(s.raw(name).constData());
            ::unlink(s.raw("data/Trash/files/" + name.mid(4)).constData());
            ::unlink(s.raw("data/Trash/info/" + name.mid(4) + ".trashinfo").constData());
        }
    });
    const QString target = s.tree.writeFile("outside/target.txt", "kept");
    for (const char *file : {"src/a.txt", "dst/a.txt", "src/sub/alone.txt", "src/dir", "src/msg"})
        s.tree.writeFile(file, "x");
    for (const QByteArray &name : odd)
        QVERIFY(s.make(name));
    s.tree.makeFolder("dst/dir/inside");
    QVERIFY(QFile::link(target, s.tree.path("src/link")) &&
            QFile::link(target, s.tree.path("dst/link")));
    QVERIFY(QFile::link(s.tree.path("outside"), s.tree.path("src/folderlink")) &&
            QFile::link(s.tree.path("nowhere"), s.tree.path("src/dangling")));
    for (const char *row : {"/a.txt", "/link", "/sub/alone.txt", "/dir", "/vanished.txt",
                            "/bad\xff", "/line\nbreak", "/folderlink", "/dangling"})
        s.addRow(row);
    s.addRow("/msg", true);
    if (!select)
        s.selected.clear();
    s.prefs = {false, prefs.contains('s'), prefs.contains('d'), prefs.contains('t')};
    const DeletionChoice before = DeletionChoice::fromPrefs(s.prefs);

    const DeletionResult result = s.run(Command(command));

    QCOMPARE(s.asked, asked);
    QStringList notFiles;
    for (const DeletionFailure &failure : result.failures)
        notFiles << QDir(s.tree.root()).relativeFilePath(failure.path);
    notFiles.sort();
    QCOMPARE(notFiles,
             (destination ? QStringList{"dst/dir"} : QStringList()) +
                 (source ? QStringList{"src/dangling", "src/folderlink"} : QStringList()));
    QCOMPARE(result.deleted, (source ? 6 : 0) + (destination ? 2 : 0));
    const QList<QByteArray> sourceFiles{"src/a.txt", "src/dir", "src/link", "src/sub/alone.txt"};
    const QList<QByteArray> destinationFiles{"dst/a.txt", "dst/link"};
    for (const QByteArray &file : sourceFiles + odd.mid(0, 2))
        QCOMPARE(s.exists(file), !source);
    for (const QByteArray &file : destinationFiles)
        QCOMPARE(s.exists(file), !destination);
    QVERIFY(s.exists("src/bad\xef\xbf\xbd") && s.exists("src/msg"));
    QVERIFY(QFileInfo(s.tree.path("dst/dir/inside")).isDir());
    QCOMPARE(s.tree.read("outside/target.txt"), QByteArray("kept"));
    QVERIFY(QFileInfo(s.tree.path("src/folderlink")).isSymLink());
    const DeletionChoice after = DeletionChoice::fromPrefs(s.prefs);
    QCOMPARE(after == before, command == int(Command::ActFileDelete) || !select);
    // QDir lists no name that is not UTF-8.
    QCOMPARE(s.trashed(), after.toTrash ? result.deleted - (source ? 1 : 0) : 0);
}

void DeletionTest::cancelledDeletionChangesNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::newRow("for good") << int(Command::ActFileDeleteSrcFull);
    QTest::newRow("to the trash") << int(Command::ActFileDeleteDestInTrash);
    QTest::newRow("both for good") << int(Command::ActFileDeleteSrcAndDestFull);
}

// "&Non" to the confirmation: no file goes, and the general command keeps its choice.
void DeletionTest::cancelledDeletionChangesNothing()
{
    QFETCH(int, command);
    Setup s;
    qputenv("XDG_DATA_HOME", QFile::encodeName(s.tree.path("data")));
    s.tree.writeFile("src/a.txt", "x");
    s.tree.writeFile("dst/a.txt", "x");
    s.addRow("/a.txt");
    s.prefs = {false, false, true, true};
    s.answers = {false};

    const DeletionResult result = s.run(Command(command));

    QCOMPARE(s.asked.size(), 1);
    QCOMPARE(result.deleted, 0);
    QVERIFY(s.exists("src/a.txt") && s.exists("dst/a.txt"));
    QVERIFY(DeletionChoice::fromPrefs(s.prefs) == (DeletionChoice{false, true, true}));
}

// dst/sub links to a folder outside: its file is never reached through it. The general
// command asks whether to go on, and "&Non" deletes nothing; a fixed one tells why.
void DeletionTest::linkedFolderOnTheWay()
{
    Setup s;
    s.tree.writeFile("outside/b.txt", "kept");
    s.tree.writeFile("dst/a.txt", "x");
    QVERIFY(QFile::link(s.tree.path("outside"), s.tree.path("dst/sub")));
    s.addRow("/sub/b.txt");
    s.addRow("/a.txt");
    s.prefs.FileDeleteSendToTrash = false;
    s.answers = {false};
    QVERIFY(s.run(Command::ActFileDelete).failures.isEmpty());
    const QString linked = s.tree.path("dst/sub/b.txt");
    QCOMPARE(s.asked, QStringList{"! Une erreur s'est produite durant la suppression du fichier "
                                  "suivant :\n\"" +
                                  linked +
                                  "\"\n\nSouhaitez-vous tout de même poursuivre l'opération en "
                                  "cours ?"});
    QVERIFY(s.exists("dst/a.txt"));
    const DeletionResult result = s.run(Command::ActFileDeleteDestFull);
    QVERIFY(!s.exists("dst/a.txt"));
    QCOMPARE(s.tree.read("outside/b.txt"), QByteArray("kept"));
    QCOMPARE(deletionFailureReport(result.failures),
             "Le fichier suivant n'a pas pu être supprimé :\n" + linked +
                 " : lien symbolique, qui n'est pas suivi");
}

// A folder without write permission, without root's override.
void DeletionTest::fileThatCannotGo()
{
    Setup s;
    const QString file = s.tree.writeFile("src/locked/a.txt", "x");
    s.addRow("/locked/a.txt");
    const auto restore = qScopeGuard([&s] { s.tree.setMode("src/locked", 0755); });
    QVERIFY(s.tree.setMode("src/locked", 0555));
    const ChildOutcome child = runInChild([&s]() -> QByteArray {
        if (!becomeUnprivileged(s.tree.root()) || ::access(s.raw("src/locked"), W_OK) == 0)
            return "no fault";
        return deletionFailureReport(s.run(Command::ActFileDeleteSrcFull).failures).toUtf8();
    });
    QVERIFY2(child.exited, "the deletion did not end within its time limit");
    if (child.output == "no fault")
        QSKIP("the permission fault could not be made as another user");
    QCOMPARE(QString::fromUtf8(child.output),
             "Le fichier suivant n'a pas pu être supprimé :\n" + file + " : accès refusé");
    QVERIFY(QFile::exists(file));
}

// Every row of a long list selected, half of its files gone already; the report of many
// failures names twenty.
void DeletionTest::tenThousandRows()
{
    Setup s;
    for (int i = 0; i < 10000; ++i) {
        if (i % 2 == 0)
            QVERIFY(s.make("src/f" + QByteArray::number(i)));
        s.addRow("/f" + QByteArray::number(i), i % 1000 == 0);
    }
    const DeletionResult result = s.run(Command::ActFileDeleteSrcFull);
    QCOMPARE(s.asked, QStringList{"Supprimer définitivement 4990 fichiers du répertoire source ?"});
    QCOMPARE(result.deleted, 4990);
    QCOMPARE(QDir(s.project.SrcPath).entryList(QDir::Files).size(), 10);

    QList<DeletionFailure> failures(22, {"/f", platform::IoStatus::fromErrno(ENOSPC)});
    const QStringList lines = deletionFailureReport(failures).split('\n');
    QCOMPARE(lines.size(), 22);
    QCOMPARE(lines.first(), "Les 22 fichiers suivants n'ont pas pu être supprimés :");
    QCOMPARE(lines[20], "/f : disque plein");
    QCOMPARE(lines.last(), "... et 2 autres fichiers.");
}

TANDRIMO_TEST(DeletionTest)
#include "tst_deletion.moc"
