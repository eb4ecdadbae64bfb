#include "compare/rowedits.h"
#include "platform/losslessname.h"
#include "platform/paths.h"
#include "support/refreshrecorder.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QLocale>
#include <QScopeGuard>
#include <QTest>

#include <sys/stat.h>

// How a row is reached: its relative path whatever the root's written form, its exclusion entry
// and its document by the exact bytes of its name.

namespace {

const QDateTime kTime = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);

// Each row as "files|status text", sorted.
QStringList verdicts(const Fixture &f)
{
    QStringList result;
    for (int i = 0; i < f.comparison.fileList().count(); ++i)
        result << f.comparison.fileList().row(i).files + '|' +
                      f.comparison.fileList().row(i).statusText;
    result.sort();
    return result;
}

bool writeRaw(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

QString utf16(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

class RowPathsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    // Both folders written in the form given ("%F" for "src" or "dst" below the tree). a.txt and
    // sub/b.txt are alike on both sides, A.txt is in the source only. Entries starting with '.'
    // are extensions, others files.
    void rootForms_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("shown"); // the status text of the folder sub
        const QStringList excluded{"/A.txt|A copier", "/a.txt|Exclu", "/sub/b.txt|Exclu"};
        const QStringList plain{"/a.txt", "/sub/b.txt"};
        QTest::newRow("plain") << "%R/%F" << plain << excluded << "%R/src/sub";
        QTest::newRow("trailing '/'") << "%R/%F/" << plain << excluded << "%R/src/sub";
        QTest::newRow("'./'") << "%R/./%F/./" << plain << excluded << "%R/./src/./sub";
        QTest::newRow("'//'") << "%R//%F//" << plain << excluded << "%R//src//sub";
        QTest::newRow("entries in another case")
            << "%R/%F/" << QStringList{"/A.TXT", "/a.TXT", "/Sub/b.txt"}
            << QStringList{"/A.txt|A copier", "/a.txt|A jour", "/sub/b.txt|A jour"} << "%R/src/sub";
        QTest::newRow("the capital's own entry")
            << "%R/%F/" << QStringList{"/A.txt"}
            << QStringList{"/A.txt|Exclu", "/a.txt|A jour", "/sub/b.txt|A jour"} << "%R/src/sub";
        QTest::newRow("old entries without '/'")
            << "%R//%F//" << QStringList{"a.txt", "sub/b.txt"} << excluded << "%R//src//sub";
        QTest::newRow("extensions ignore case")
            << "%R/%F/" << QStringList{".TXT"}
            << QStringList{"/A.txt|Exclu", "/a.txt|Exclu", "/sub/b.txt|Exclu"} << "%R/src/sub";
    }
    void rootForms()
    {
        QFETCH(QString, form);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, rows);
        QFETCH(QString, shown);
        TestTree tree;
        for (const char *name : {"src/a.txt", "dst/a.txt", "src/sub/b.txt", "dst/sub/b.txt"})
            QVERIFY(!tree.writeFile(name, "abc", kTime).isEmpty());
        QVERIFY(!tree.writeFile("src/A.txt", "abc", kTime).isEmpty());
        const QString side = QString(form).replace("%R", tree.root());
        Fixture f(QString(side).replace("%F", "src"), QString(side).replace("%F", "dst"), true);
        for (const QString &entry : entries)
            (entry.startsWith('.') ? f.project.ExtensionsToExclude : f.project.FilesToExclude)
                .add(entry);
        QVERIFY(f.refresh());
        QCOMPARE(verdicts(f), rows);
        QVERIFY(f.statuses().contains(shown.replace("%R", tree.root())));
        // A second pass reads both sides through the rows' paths, not the listing.
        f.comparison.ClassifyFileList();
        QCOMPARE(verdicts(f), rows);
    }

    // The file system's root: its rows and the folders met begin with one '/'.
    void fileSystemRoot()
    {
        TestTree tree;
        Fixture f("/", tree.path("dst"), false);
        f.comparison.ListSourceFolder();
        for (const QString &files : f.rows(true))
            QVERIFY2(files.startsWith('/') && !files.startsWith("//"), qPrintable(files));
        const QString top = tree.root().section('/', 0, 1); // the tree's first folder, as "/tmp"
        QVERIFY(f.statuses().contains(top));
    }

    void losslessNames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("lone"); // the text holds a lone surrogate
        QTest::newRow("ASCII") << QByteArray("/a b.txt") << "/a b.txt" << false;
        QTest::newRow("valid UTF-8") << QByteArray("/été/日本.txt") << "/été/日本.txt" << false;
        QTest::newRow("four bytes")
            << QByteArray("\xf0\x9f\x98\x80") << utf16(u"\xD83D\xDE00") << false;
        // U+10080: the low half of its pair lies in the range of kept bytes.
        QTest::newRow("a pair that looks like a kept byte")
            << QByteArray("\xf0\x90\x82\x80") << utf16(u"\xD800\xDC80") << false;
        QTest::newRow("invalid byte")
            << QByteArray("bad\xff.txt") << utf16(u"bad\xDCFF.txt") << true;
        QTest::newRow("a lone 0x80") << QByteArray("\x80") << utf16(u"\xDC80") << true;
        QTest::newRow("overlong '/'") << QByteArray("\xc0\xaf") << utf16(u"\xDCC0\xDCAF") << true;
        QTest::newRow("overlong in three bytes")
            << QByteArray("\xe0\x80\xaf") << utf16(u"\xDCE0\xDC80\xDCAF") << true;
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xb2\x80") << utf16(u"\xDCED\xDCB2\xDC80") << true;
        QTest::newRow("past U+10FFFF")
            << QByteArray("\xf4\x90\x80\x80") << utf16(u"\xDCF4\xDC90\xDC80\xDC80") << true;
        QTest::newRow("cut sequence") << QByteArray("\xe2\x82z") << utf16(u"\xDCE2\xDC82z") << true;
        QTest::newRow("a kept byte after a pair")
            << QByteArray("\xf0\x90\x80\x80\xff") << utf16(u"\xD800\xDC00\xDCFF") << true;
        QTest::newRow("U+FFFD itself") << QByteArray("a\xef\xbf\xbd") << utf16(u"a\xFFFD") << false;
    }
    void losslessNames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, lone);
        QCOMPARE(platform::losslessText(bytes), text);
        QCOMPARE(platform::losslessBytes(text), bytes);
        QCOMPARE(platform::holdsLoneSurrogate(text), lone);
    }

    // A name that begins with a byte-order mark is valid UTF-8, but its text loses the mark:
    // the row keeps the name's bytes.
    void nameThatBeginsWithAByteOrderMark()
    {
        TestTree tree;
        const QByteArray src = QFile::encodeName(tree.makeFolder("src"));
        tree.makeFolder("dst");
        const QByteArray name = "/\xEF\xBB\xBFmark.txt";
        const auto removeFile = qScopeGuard([&] { ::unlink(QByteArray(src + name).constData()); });
        QVERIFY(writeRaw(src + name));
        Fixture f(tree.path("src"), tree.path("dst"), false);
        QVERIFY(f.refresh());
        const FileList &list = f.comparison.fileList();
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.row(0).rawFiles, name);
        QCOMPARE(list.row(0).statusText, "A copier");
    }

    // Two names that differ only in a byte that is not UTF-8 show the same text, yet each row
    // reaches its own file.
    void namesThatAreNotUtf8()
    {
        TestTree tree;
        const QByteArray src = QFile::encodeName(tree.makeFolder("src"));
        tree.makeFolder("dst");
        // QDir cannot remove names that are not valid UTF-8.
        const auto removeFiles = qScopeGuard([&src] {
            for (const char *name : {"/bad\xff.txt", "/bad\xfe.txt"})
                ::unlink(QByteArray(src + name).constData());
        });
        QVERIFY(writeRaw(src + "/bad\xff.txt") && writeRaw(src + "/bad\xfe.txt"));
        QVERIFY(::chmod(QByteArray(src + "/bad\xfe.txt").constData(), 0755) == 0);
        Fixture f(tree.path("src"), tree.path("dst"), false);
        QVERIFY(f.refresh());
        FileList &list = f.comparison.fileList();
        QCOMPARE(list.count(), 2);
        const int ff = list.row(0).rawFiles == "/bad\xff.txt" ? 0 : 1;
        QCOMPARE(list.row(ff).rawFiles, QByteArray("/bad\xff.txt"));
        QCOMPARE(list.row(1 - ff).rawFiles, QByteArray("/bad\xfe.txt"));
        QCOMPARE(list.row(0).files, list.row(1).files);

        bool modified = false;
        QCOMPARE(excludeFilesOfRows(f.project.FilesToExclude, list, {ff}, modified), 1);
        QCOMPARE(f.project.FilesToExclude.entries(), QStringList{utf16(u"/bad\xDCFF.txt")});
        f.comparison.ClassifyFileList();
        QCOMPARE(list.row(ff).statusText, "Exclu");
        QCOMPARE(list.row(1 - ff).statusText, "A copier");

        // The first opens as itself; the second, which may run as a program, opens its folder.
        QCOMPARE(documentToOpen(list, ff, tree.path("src")), QByteArray(src + "/bad\xff.txt"));
        QCOMPARE(documentToOpen(list, 1 - ff, tree.path("src")), QByteArray(src + '/'));
        QCOMPARE(platform::localFileUrl(src + "/bad\xff.txt").toEncoded(),
                 QByteArray("file://" + src.toPercentEncoding("/") + "/bad%FF.txt"));
    }
};

TANDRIMO_TEST(RowPathsTest)
#include "tst_rowpaths.moc"
