#include "copyrunfixture.h"
#include "support/refreshrecorder.h"

#include "support/testmain.h"

#include <QLocale>
#include <QTest>

// A file whose name has no dot goes the whole way: listed with an empty extension, classified
// whatever extensions are left out, and copied.
class DotlessFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }
    void listedClassifiedAndCopied()
    {
        CopyRunFixture f;
        f.write(QStringLiteral("src/Makefile"), "all:\n");
        f.write(QStringLiteral("src/bin/build"), "#!/bin/sh\n");
        f.write(QStringLiteral("src/notes.txt"), "n");
        Fixture compare(f.src, f.dest, true);
        QVERIFY(compare.project.ExtensionsToExclude.add(QStringLiteral(".txt")));
        QVERIFY(compare.refresh());
        QCOMPARE(compare.rows(), QStringList({"0|/bin/build||10 Octets |A copier",
                                              "0|/Makefile||5 Octets |A copier",
                                              "11|/notes.txt|.txt|1 Octets |Exclu"}));

        f.remember();
        f.settings.FilesToCopyCount = compare.comparison.filesToCopyCount();
        CopyRun run(CopyRunSnapshot::take(compare.comparison.fileList()), f.settings, f.stop,
                    f.host);
        run.JvThread1Execute();
        QCOMPARE(run.end(), CopyRunEnd::Completed);
        QCOMPARE(f.changes(), QStringList({"dest/Makefile", "dest/bin", "dest/bin/build"}));
        QCOMPARE(f.tree.read(QStringLiteral("dest/bin/build")), QByteArray("#!/bin/sh\n"));
    }
};

TANDRIMO_TEST(DotlessFileTest)
#include "tst_dotlessfile.moc"
