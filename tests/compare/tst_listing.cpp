#include "platform/atomicwrite.h"
#include "recorder.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QLocale>
#include <QTest>

class ListingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    // Files given as "path=size" below src; rows as "files|ext|size".
    void listing_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("case-insensitive order")
            << QStringList{"D.txt=0", "b.txt=0", "C.TXT=0", "a.txt=0", "é.txt=0", "Z.txt=0"}
            << "src" << false << QStringList{"/a.txt|.txt|0 Octets ", "/b.txt|.txt|0 Octets ",
                                             "/C.TXT|.TXT|0 Octets ", "/D.txt|.txt|0 Octets ",
                                             "/é.txt|.txt|0 Octets ", "/Z.txt|.txt|0 Octets "};
        QTest::newRow("mask and extensions")
            << QStringList{"README=4", ".profile=1536", "archive.tar.gz=1025", "dir.d/noext=1",
                           "dir.d/x.y=2"}
            << "src" << true
            << QStringList{"/.profile|.profile|1,50 KO ", "/archive.tar.gz|.gz|1,00 KO ",
                           "/dir.d/x.y|.y|2 Octets "};
        QTest::newRow("trailing separator: no leading one")
            << QStringList{"a.txt=1", "sub/b.txt=1"} << "src/" << true
            << QStringList{"a.txt|.txt|1 Octets ", "sub/b.txt|.txt|1 Octets "};
        QTest::newRow("without sub-folders")
            << QStringList{"a.txt=1", "sub/b.txt=1", "sub/deeper/c.txt=1"} << "src" << false
            << QStringList{"/a.txt|.txt|1 Octets "};
        QTest::newRow("depth first, sorted whole")
            << QStringList{"b/x.txt=0", "a/z/y.txt=0", "a.txt=0", "a/w.txt=0"} << "src" << true
            << QStringList{"/a.txt|.txt|0 Octets ", "/a/w.txt|.txt|0 Octets ",
                           "/a/z/y.txt|.txt|0 Octets ", "/b/x.txt|.txt|0 Octets "};
        QTest::newRow("own temporary files left out")
            << QStringList{QString(platform::kTempPrefix) + "x1.txt=3", "keep.txt=3"} << "src"
            << false << QStringList{"/keep.txt|.txt|3 Octets "};
    }
    void listing()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, root);
        QFETCH(bool, recursive);
        QFETCH(QStringList, rows);
        TestTree tree;
        tree.makeFolder("src");
        for (const QString &file : files) {
            const QStringList parts = file.split('=');
            QVERIFY(makeSparseFile(tree.writeFile("src/" + parts[0]), parts[1].toLongLong()));
        }
        Fixture f(tree.path(root), tree.path("dst"), recursive);
        f.comparison.ListSourceFolder();
        // Listed rows are not classified yet: code 0, no text.
        QCOMPARE(f.rows(), rows.replaceInStrings(QRegularExpression("^(.*)$"), "0|\\1|"));
        QCOMPARE(f.host.cursorDepth, 0);
    }

    // Every folder met shows in the status panel, also when sub-folders are not included;
    // links to folders are shown but never entered; a loop or a dangling link is no file.
    void foldersAndLinks()
    {
        TestTree tree;
        tree.writeFile("src/target.txt", "12345");
        tree.writeFile("src/folder/inner.txt");
        for (const auto &[target, name] : {std::pair{"target.txt", "link.txt"},
                                           {"folder", "linkdir.d"},
                                           {"loop.txt", "loop.txt"},
                                           {"missing.txt", "dangling.txt"},
                                           {"/", "root.d"}})
            QVERIFY(QFile::link(target, tree.path(QString("src/") + name)));
        for (bool recursive : {true, false}) {
            Fixture f(tree.path("src"), tree.path("dst"), recursive);
            f.comparison.ListSourceFolder();
            const QStringList files{"/folder/inner.txt", "/link.txt", "/target.txt"};
            QCOMPARE(f.rows(true), recursive ? files : files.mid(1));
            QCOMPARE(f.comparison.fileList().row(recursive ? 1 : 0).fileSize, "5 Octets ");
            for (const char *folder : {"src/folder", "src/linkdir.d", "src/root.d"})
                QVERIFY(f.statuses().contains(tree.path(folder)));
        }
    }

    // A destination inside the source is never listed as source files, whatever text names
    // it; a destination elsewhere changes nothing.
    void destinationInsideSource_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QStringList>("rows");
        const QStringList without{"/keep/k.txt", "/top.txt"};
        QTest::newRow("same text") << "src/dst" << true << without;
        QTest::newRow("other text") << "src/keep/../dst/." << true << without;
        QTest::newRow("through a link") << "link" << true << without;
        QTest::newRow("elsewhere")
            << "elsewhere" << true
            << QStringList{"/dst/copied.txt", "/dst/deeper/d.txt", "/keep/k.txt", "/top.txt"};
        QTest::newRow("without sub-folders") << "src/dst" << false << QStringList{"/top.txt"};
    }
    void destinationInsideSource()
    {
        QFETCH(QString, destination);
        QFETCH(bool, recursive);
        QFETCH(QStringList, rows);
        TestTree tree;
        for (const char *file :
             {"src/top.txt", "src/keep/k.txt", "src/dst/copied.txt", "src/dst/deeper/d.txt"})
            tree.writeFile(file);
        tree.makeFolder("elsewhere");
        QVERIFY(QFile::link(tree.path("src/dst"), tree.path("link")));
        Fixture f(tree.path("src"), tree.path(destination), recursive);
        f.comparison.ListSourceFolder();
        QCOMPARE(f.rows(true), rows);
    }
};

TANDRIMO_TEST(ListingTest)
#include "tst_listing.moc"
