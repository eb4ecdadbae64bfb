#include "platform/paths.h"
#include "support/testmain.h"

#include <QTest>

// The folder that holds a path, as the trash, the volume lookup, the folder maker and the
// atomic write all take it.
class FolderOfPathTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void folderOfPath_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("a file deep down") << QByteArray("/a/b/c.txt") << QByteArray("/a/b");
        QTest::newRow("a file at the root") << QByteArray("/c.txt") << QByteArray("/");
        QTest::newRow("the root") << QByteArray("/") << QByteArray("/");
        QTest::newRow("slashes only") << QByteArray("///") << QByteArray("/");
        QTest::newRow("a folder ending with '/'") << QByteArray("/a/b/") << QByteArray("/a");
        QTest::newRow("a folder at the root ending with '/'")
            << QByteArray("/a//") << QByteArray("/");
        QTest::newRow("a relative path") << QByteArray("a/b") << QByteArray("a");
        QTest::newRow("a bare name") << QByteArray("b") << QByteArray(".");
        QTest::newRow("a bare name ending with '/'") << QByteArray("b/") << QByteArray(".");
        QTest::newRow("nothing") << QByteArray() << QByteArray(".");
        QTest::newRow("bytes that are no UTF-8")
            << QByteArray("/d\xe9j\xe0/f") << QByteArray("/d\xe9j\xe0");
    }
    void folderOfPath()
    {
        QFETCH(QByteArray, path);
        QTEST(platform::folderOfPath(path), "folder");
    }
};

TANDRIMO_TEST(FolderOfPathTest)
#include "tst_folderofpath.moc"
