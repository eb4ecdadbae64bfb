#include "compare/filelist.h"
#include "compare/rowfiles.h"
#include "support/testmain.h"

#include <QTest>

// Which files the selected rows stand for, before anything looks at the disk: the sides asked,
// a row's source first, message rows and indices outside the list passed over.
class RowFilesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filesOfRows_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("source");
        QTest::addColumn<bool>("destination");
        QTest::addColumn<QByteArrayList>("paths"); // "s:" a source, "d:" a destination
        // Rows: 0 "a.txt", 1 a message, 2 "sub/b.txt".
        QTest::newRow("both sides, source first")
            << QList<int>{0, 2} << true << true
            << QByteArrayList{"s:/src/a.txt", "d:/dst/a.txt", "s:/src/sub/b.txt",
                              "d:/dst/sub/b.txt"};
        QTest::newRow("the selection's order")
            << QList<int>{2, 0} << true << false
            << QByteArrayList{"s:/src/sub/b.txt", "s:/src/a.txt"};
        QTest::newRow("destinations only")
            << QList<int>{0} << false << true << QByteArrayList{"d:/dst/a.txt"};
        QTest::newRow("a message row gives nothing")
            << QList<int>{1} << true << true << QByteArrayList{};
        QTest::newRow("indices outside the list")
            << QList<int>{-1, 3, 0} << true << false << QByteArrayList{"s:/src/a.txt"};
        QTest::newRow("no side asked") << QList<int>{0, 2} << false << false << QByteArrayList{};
    }
    void filesOfRows()
    {
        QFETCH(QList<int>, selected);
        QFETCH(bool, source);
        QFETCH(bool, destination);
        QFETCH(QByteArrayList, paths);
        FileList rows;
        rows.append().files = QStringLiteral("/a.txt");
        rows.append().message = true;
        rows.append().files = QStringLiteral("/sub/b.txt");
        QByteArrayList got;
        for (const RowFile &file :
             ::filesOfRows(rows, selected, "/src", "/dst", source, destination)) {
            QCOMPARE(file.rootLength, 4);
            got << (file.path.startsWith("/src/") ? "s:" : "d:") + file.path;
        }
        QCOMPARE(got, paths);
    }
};

TANDRIMO_TEST(RowFilesTest)
#include "tst_rowfiles.moc"
