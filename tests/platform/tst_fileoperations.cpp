#include "support/testfiles.h"
#include "support/treestate.h"

#include "platform/deletefile.h"
#include "platform/filecompare.h"
#include "platform/forcefolder.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>

using platform::FaultyFileCalls;
using platform::FileCall;
using platform::ScopedFileCalls;

class FileOperationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void forceFolder_data();
    void forceFolder();
    void deletePermanently_data();
    void deletePermanently();
    void deleteToTrash_data();
    void deleteToTrash();
    void verifyCopy_data();
    void verifyCopy();
};

void FileOperationsTest::forceFolder_data()
{
    QTest::addColumn<QString>("existing"); // a file made first, when not empty
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("mkdirFails");

    QTest::newRow("three missing levels") << QString() << "a/b/c" << 0 << false;
    QTest::newRow("trailing separators") << QString() << "a/b//" << 0 << false;
    QTest::newRow("already there") << "a/b/file"
                                   << "a/b" << 0 << false;
    QTest::newRow("a file in the way") << "a/file"
                                       << "a/file/c" << ENOTDIR << false;
    QTest::newRow("the folder is a file") << "a/file"
                                          << "a/file" << ENOTDIR << false;
    QTest::newRow("creation refused") << QString() << "a/b" << EACCES << true;
}

void FileOperationsTest::forceFolder()
{
    QFETCH(QString, existing);
    QFETCH(QString, folder);
    QFETCH(int, error);
    QFETCH(bool, mkdirFails);
    TestTree tree;
    if (!existing.isEmpty())
        tree.writeFile(existing, "x");
    FaultyFileCalls calls;
    if (mkdirFails)
        calls.fail(FileCall::Mkdir, EACCES);
    ScopedFileCalls scope(calls);

    const platform::IoStatus status = platform::ForceFolder(nativePath(tree.path(folder)));

    QCOMPARE(status.error(), error);
    QCOMPARE(QFileInfo(tree.path(folder)).isDir(), error == 0);
}

void FileOperationsTest::deletePermanently_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error");
    QTest::addColumn<QStringList>("left"); // what remains in the tree

    QTest::newRow("file") << "file" << 0 << QStringList{QStringLiteral("other")};
    QTest::newRow("read-only file") << "readonly" << 0 << QStringList{QStringLiteral("other")};
    QTest::newRow("link: the link goes, its target stays")
        << "link" << 0 << QStringList{QStringLiteral("other")};
    QTest::newRow("folder is never deleted")
        << "folder" << EISDIR
        << QStringList{QStringLiteral("other"), QStringLiteral("victim"),
                       QStringLiteral("victim/inside")};
    QTest::newRow("missing") << "missing" << ENOENT << QStringList{QStringLiteral("other")};
    QTest::newRow("unlink refused")
        << "refused" << EACCES << QStringList{QStringLiteral("other"), QStringLiteral("victim")};
}

void FileOperationsTest::deletePermanently()
{
    QFETCH(QString, kind);
    QFETCH(int, error);
    QFETCH(QStringList, left);
    TestTree tree;
    tree.writeFile(QStringLiteral("other"), "stays");
    const QString victim = tree.path(QStringLiteral("victim"));
    if (kind == u"file" || kind == u"refused")
        tree.writeFile(QStringLiteral("victim"), "x");
    if (kind == u"readonly") {
        tree.writeFile(QStringLiteral("victim"), "x");
        tree.setMode(QStringLiteral("victim"), 0444);
    }
    if (kind == u"link")
        QVERIFY(QFile::link(tree.path(QStringLiteral("other")), victim));
    if (kind == u"folder")
        tree.writeFile(QStringLiteral("victim/inside"), "x");
    FaultyFileCalls calls;
    if (kind == u"refused")
        calls.fail(FileCall::Unlink, EACCES);
    ScopedFileCalls scope(calls);

    QCOMPARE(platform::ShellDeleteFile(victim, false).error(), error);

    QStringList found;
    QDirIterator it(tree.root(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next().mid(tree.root().size() + 1));
    found.sort();
    QCOMPARE(found, left);
    QCOMPARE(tree.read(QStringLiteral("other")), QByteArray("stays"));
}

void FileOperationsTest::deleteToTrash_data()
{
    QTest::addColumn<QString>("dataHome"); // relative to the tree
    QTest::addColumn<bool>("blocked");     // a file where the data folder should be
    QTest::newRow("data folder there") << "data" << false;
    QTest::newRow("data folder missing") << "new/data" << false;
    QTest::newRow("data folder cannot be made") << "blocker/data" << true;
}

void FileOperationsTest::deleteToTrash()
{
    QFETCH(QString, dataHome);
    QFETCH(bool, blocked);
    TestTree tree;
    tree.makeFolder(QStringLiteral("data"));
    tree.writeFile(QStringLiteral("blocker"), "a file");
    const QString victim = tree.writeFile(QStringLiteral("files/victim.txt"), "to the trash");
    const QString savedFolder = QDir::currentPath();
    QDir::setCurrent(tree.makeFolder(QStringLiteral("current")));
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    // Trash and file on the same volume: the home trash under XDG_DATA_HOME is the one used.
    qputenv("HOME", nativePath(tree.root()));
    qputenv("XDG_DATA_HOME", nativePath(tree.path(dataHome)));

    const platform::IoStatus status = platform::ShellDeleteFile(victim, true);

    qputenv("XDG_DATA_HOME", savedData);
    qputenv("HOME", savedHome);
    QDir::setCurrent(savedFolder);
    // Never into the current folder, whatever happened.
    QVERIFY(QDir(tree.path(QStringLiteral("current"))).isEmpty());
    QCOMPARE(status.ok(), !blocked);
    QCOMPARE(QFile::exists(victim), blocked);
    if (!blocked) {
        QCOMPARE(tree.read(dataHome + QStringLiteral("/Trash/files/victim.txt")),
                 QByteArray("to the trash"));
        QVERIFY(QFile::exists(
            tree.path(dataHome + QStringLiteral("/Trash/info/victim.txt.trashinfo"))));
    }
}

void FileOperationsTest::verifyCopy_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second"); // "<missing>" and "<folder>" name no file
    QTest::addColumn<bool>("equal");

    const QByteArray big = patternBytes(3 * 1024 * 1024 + 1, 5);
    QByteArray lastByte = big;
    lastByte[lastByte.size() - 1] = char(lastByte.back() ^ 1);
    QTest::newRow("equal") << big << big << true;
    QTest::newRow("both empty") << QByteArray() << QByteArray() << true;
    QTest::newRow("last byte differs") << big << lastByte << false;
    QTest::newRow("copy shorter, same beginning") << big << big.left(4096) << false;
    QTest::newRow("copy longer, same beginning") << big.left(4096) << big << false;
    QTest::newRow("copy missing") << big << QByteArray("<missing>") << false;
    QTest::newRow("copy is a folder") << big << QByteArray("<folder>") << false;
}

void FileOperationsTest::verifyCopy()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, equal);
    TestTree tree;
    const QString a = tree.writeFile(QStringLiteral("a"), first);
    QString b = tree.path(QStringLiteral("b"));
    if (second == "<folder>")
        tree.makeFolder(QStringLiteral("b"));
    else if (second != "<missing>")
        b = tree.writeFile(QStringLiteral("b"), second);

    const auto verified = [](const QString &x, const QString &y) {
        return platform::compareFiles(nativePath(x), nativePath(y)) ==
               platform::FileComparison::Equal;
    };
    QCOMPARE(verified(a, b), equal);
    QCOMPARE(verified(b, a), equal);
}

TANDRIMO_TEST(FileOperationsTest)
#include "tst_fileoperations.moc"
