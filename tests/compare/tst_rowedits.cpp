#include "compare/filelist.h"
#include "compare/rowedits.h"
#include "compare/statuscode.h"
#include "project/exclusionlist.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QFile>
#include <QTest>

#include <numeric>
#include <sys/stat.h>

namespace {

// One row of each kind: due, held back by a read-only target, due back, destination newer, up
// to date, excluded by the user, a failed copy, a message of the folder checks, and a row no
// classification examined.
struct Start {
    std::int32_t code;
    const char *text;
    bool classified = true;
    bool message = false;
};
const Start kRows[] = {
    {StatusToCopy, "A copier"},
    {StatusToCopy, "Lecture seule"},
    {StatusToCopyBack, "A copier (Dest > Source)"},
    {StatusInconsistent, "Incohérence !"},
    {StatusUpToDate, "A jour"},
    {StatusExcludedByUser, "Exclu"},
    {StatusError, "Erreur : disque plein"},
    {StatusError, "* Répertoire *", true, true},
    {StatusToCopy, "", false},
};

void fill(FileList &list)
{
    for (const Start &start : kRows) {
        FileEntry &row = list.append();
        row.files = QStringLiteral("/f%1.txt").arg(list.count());
        row.statusCode = start.code;
        row.statusText = QString::fromUtf8(start.text);
        row.classified = start.classified;
        row.message = start.message;
    }
}

QString codes(const FileList &list)
{
    QStringList codes;
    for (int i = 0; i < list.count(); ++i)
        codes << QString::number(list.row(i).statusCode) +
                     (list.row(i).statusText == u"Lecture seule" ? u"r" : u"");
    return codes.join(u',');
}

} // namespace

class RowEditsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowCommands_data();
    void rowCommands();
    void readOnlyOfDestinationsOnly();
    void exclusionsOfRows();
    void openingNeverRunsAProgram();
};

void RowEditsTest::rowCommands_data()
{
    QTest::addColumn<QString>("commands");
    QTest::addColumn<int>("countBefore");
    QTest::addColumn<QString>("codes"); // after; "r": still held back as "Lecture seule"
    QTest::addColumn<int>("countAfter");

    QTest::newRow("add") << "add" << 2 << "0,0,0,0,0,0,0,-1,0" << 7;
    QTest::newRow("add twice: counted once") << "add,add" << 2 << "0,0,0,0,0,0,0,-1,0" << 7;
    QTest::newRow("remove") << "remove" << 2 << "10,10,10,10,10,10,10,-1,0" << 0;
    QTest::newRow("remove from a count already short: never below 0")
        << "remove" << 1 << "10,10,10,10,10,10,10,-1,0" << 0;
    QTest::newRow("reverse") << "reverse" << 2 << "1,1,0,1,5,10,-1,-1,0" << 4;
    QTest::newRow("reverse twice") << "reverse,reverse" << 2 << "0,0,1,0,5,10,-1,-1,0" << 4;
}

// Every row selected: the message row and the unclassified row are passed over, every other
// row takes its new verdict, and the count follows what counts.
void RowEditsTest::rowCommands()
{
    QFETCH(QString, commands);
    QFETCH(int, countBefore);
    QFETCH(QString, codes);
    QFETCH(int, countAfter);
    FileList list;
    fill(list);
    QList<int> all(list.count());
    std::iota(all.begin(), all.end(), 0);
    int count = countBefore;

    for (const QString &command : commands.split(u',')) {
        if (command == u"add")
            addToCopy(list, all, count);
        else if (command == u"remove")
            removeFromCopy(list, all, count);
        else
            reverseDirection(list, all, count);
    }

    QCOMPARE(::codes(list), codes);
    QCOMPARE(count, countAfter);
    for (int i = 0; i < list.count(); ++i) {
        const FileEntry &row = list.row(i);
        if (row.statusCode == StatusToCopy && row.classified)
            QCOMPARE(row.statusText, QStringLiteral("A copier"));
        if (row.statusCode == StatusToCopyBack)
            QCOMPARE(row.statusText, QStringLiteral("A copier (Dest > Source)"));
        if (row.statusCode == StatusExcludedByUser)
            QCOMPARE(row.statusText, QStringLiteral("Exclu"));
    }
    QCOMPARE(list.row(7).statusText, QStringLiteral("* Répertoire *"));
}

// Only the destination files of the rows, never through a link, every other bit kept.
void RowEditsTest::readOnlyOfDestinationsOnly()
{
    TestTree tree;
    tree.writeFile(QStringLiteral("src/a"));
    tree.writeFile(QStringLiteral("dst/a"));
    tree.writeFile(QStringLiteral("outside/b"));
    tree.writeFile(QStringLiteral("outside/c"));
    QVERIFY(
        QFile::link(tree.path(QStringLiteral("outside")), tree.path(QStringLiteral("dst/sub"))));
    QVERIFY(
        QFile::link(tree.path(QStringLiteral("outside/c")), tree.path(QStringLiteral("dst/c"))));
    for (const char *file : {"src/a", "dst/a", "outside/b", "outside/c"})
        QVERIFY(tree.setMode(QLatin1String(file), 0444));
    FileList list;
    for (const char *name : {"/a", "/sub/b", "/c", "/missing"})
        list.append().files = QLatin1String(name);

    QCOMPARE(clearReadOnlyOfDestinations(list, {0, 1, 2, 3}, tree.path(QStringLiteral("dst"))), 1);

    const auto mode = [&](const char *file) {
        struct stat st {};
        ::lstat(QFile::encodeName(tree.path(QLatin1String(file))).constData(), &st);
        return unsigned(st.st_mode & 07777);
    };
    QCOMPARE(mode("dst/a"), 0644u);
    QCOMPARE(mode("src/a"), 0444u);
    QCOMPARE(mode("outside/b"), 0444u); // through a linked folder
    QCOMPARE(mode("outside/c"), 0444u); // through a linked file
}

// One entry per row that gives one, case ignored; a dotless name and a message give none.
void RowEditsTest::exclusionsOfRows()
{
    FileList list;
    for (const char *name : {"/a.TXT", "/b.txt", "/Makefile", "/c.doc"})
        list.append().files = QLatin1String(name);
    list.append().message = true;
    list.row(4).files = QStringLiteral("* Répertoire inaccessible *");
    ExclusionList extensions(ExclusionList::Kind::Extensions);
    ExclusionList files(ExclusionList::Kind::Files);
    bool modified = false;

    QCOMPARE(excludeExtensionsOfRows(extensions, list, {0, 1, 2, 3, 4}, modified), 3);
    QCOMPARE(extensions.entries(), (QStringList{".TXT", ".doc"}));
    QVERIFY(modified);
    modified = false;
    QCOMPARE(excludeExtensionsOfRows(extensions, list, {1}, modified), 1);
    QVERIFY(!modified);
    QCOMPARE(excludeFilesOfRows(files, list, {2, 4}, modified), 1);
    QCOMPARE(files.entries(), QStringList{"/Makefile"});
}

void RowEditsTest::openingNeverRunsAProgram()
{
    TestTree tree;
    tree.writeFile(QStringLiteral("src/notes.txt"));
    tree.writeFile(QStringLiteral("src/bin/tool"));
    tree.writeFile(QStringLiteral("src/app.desktop"));
    QVERIFY(tree.setMode(QStringLiteral("src/bin/tool"), 0755));
    FileList list;
    for (const char *name : {"/notes.txt", "/bin/tool", "/app.desktop"})
        list.append().files = QLatin1String(name);
    list.append().message = true;
    const QString src = tree.path(QStringLiteral("src"));
    const QByteArray bytes = QFile::encodeName(src);

    QCOMPARE(documentToOpen(list, 0, src), bytes + "/notes.txt");
    QCOMPARE(documentToOpen(list, 1, src), bytes + "/bin/");
    QCOMPARE(documentToOpen(list, 2, src), bytes + "/");
    QCOMPARE(documentToOpen(list, 3, src), QByteArray());
    QCOMPARE(documentToOpen(list, -1, src), QByteArray());
}

TANDRIMO_TEST(RowEditsTest)
#include "tst_rowedits.moc"
