#include "compare/filemask.h"
#include "compare/filesize.h"
#include "compare/filetime.h"
#include "compare/folderpath.h"
#include "compare/statuscode.h"
#include "support/refreshrecorder.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QLocale>
#include <QTest>

class FileHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void joinFolderPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("joined");
        QTest::newRow("leading only") << "/data"
                                      << "/sub/a.txt"
                                      << "/data/sub/a.txt";
        QTest::newRow("trailing only") << "/data/"
                                       << "sub/a.txt"
                                       << "/data/sub/a.txt";
        QTest::newRow("both") << "/data/"
                              << "/sub/a.txt"
                              << "/data/sub/a.txt";
        QTest::newRow("the root") << "/"
                                  << "/a.txt"
                                  << "/a.txt";
        QTest::newRow("empty folder") << ""
                                      << "a.txt"
                                      << "/a.txt";
        QTest::newRow("second separator stays") << "/data"
                                                << "//a.txt"
                                                << "/data//a.txt";
        QTest::newRow("backslash is a character") << "/data\\"
                                                  << "a.txt"
                                                  << "/data\\/a.txt";
    }
    void joinFolderPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, relative);
        QFETCH(QString, joined);
        QCOMPARE(JoinFolderPath(folder, relative), joined);
        QCOMPARE(joinFolderPathBytes(folder.toUtf8(), relative.toUtf8()), joined.toUtf8());
    }

    void extension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        for (const char *row : {"/a.txt=.txt", "/archive.tar.gz=.gz", "/.profile=.profile",
                                "/dir.d/README=", "/a.b:c=.b:c", "/a.b\\c=.b\\c", "/a.=."}) {
            const QStringList parts = QString(row).split('=');
            QTest::newRow(row) << parts[0] << parts[1];
        }
    }
    void extension()
    {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QCOMPARE(extensionOf(path), extension);
    }

    // French separators unless the text has a point; "+" marks withFree.
    void sizeText_data()
    {
        QTest::addColumn<double>("size");
        QTest::addColumn<QString>("text");
        const double KiB = 1024, MiB = KiB * KiB, GiB = MiB * KiB;
        const std::pair<double, const char *> cases[] = {{0, "0 Octets "},
                                                         {1024, "1024 Octets "},
                                                         {1024.9, "1024 Octets "},
                                                         {1025, "1,00 KO "},
                                                         {1536, "1,50 KO "},
                                                         {1152, "1,13 KO "},
                                                         {MiB, "1024,00 KO "},
                                                         {MiB + 1, "1,00 MO "},
                                                         {GiB, "1024,00 MO "},
                                                         {GiB + 1, "1,00 GO "},
                                                         {4 * GiB, "4,00 GO "},
                                                         {5 * GiB, "5,00 GO "},
                                                         {5120 * GiB, "5120,00 GO "},
                                                         {-1, "-.-- Octets "},
                                                         {-1, "-.-- Octets libres+"},
                                                         {1536, "1,50 KO libres+"},
                                                         {12, "12 Octets libres+"},
                                                         {1536, "1.50 KO "}};
        for (const auto &[size, text] : cases)
            QTest::newRow(text) << size << QString(text);
    }
    void sizeText()
    {
        QFETCH(double, size);
        QFETCH(QString, text);
        QLocale::setDefault(text.contains('.') ? QLocale::c() : QLocale(QLocale::French));
        const bool withFree = text.endsWith('+');
        QCOMPARE(SizeText(size, withFree), withFree ? text.chopped(1) : text);
    }

    void mask_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("matches");
        QTest::newRow("no dot") << "README"
                                << "*.*" << false;
        QTest::newRow("dot file") << ".profile"
                                  << "*.*" << true;
        QTest::newRow("case ignored") << "É.TXT"
                                      << "é.txt" << true;
        QTest::newRow("question one") << "ab.txt"
                                      << "a?.txt" << true;
        QTest::newRow("question not none") << "a.txt"
                                           << "a?.txt" << false;
        QTest::newRow("star backtracks") << "a.b.c"
                                         << "*.c" << true;
        QTest::newRow("star needs the tail") << "a.b.c"
                                             << "*.b" << false;
    }
    void mask()
    {
        QFETCH(QString, name);
        QFETCH(QString, mask);
        QFETCH(bool, matches);
        QCOMPARE(maskMatches(name, mask), matches);
    }

    // The queries read one stat call: never -1 for a file beyond 4 GiB, never a folder's size.
    void fileQueries()
    {
        TestTree tree;
        const QString a = tree.writeFile("a.txt", "abc"), b = tree.writeFile("b.txt", "abd");
        const QString big = tree.path("big.bin"), folder = tree.makeFolder("folder");
        QVERIFY(makeSparseFile(big, 5LL << 30));
        QCOMPARE(FileSize64(big), quint64(5) << 30);
        QCOMPARE(FileSizeOf(big), double(5LL << 30));
        QCOMPARE(FileSizeOf(folder), -1.0);
        QCOMPARE(FileSizeOf(tree.path("missing")), -1.0);
        QCOMPARE(FileSize64(folder), quint64(0));
        const qint64 ns = 1'700'000'000'123'456'789;
        QVERIFY(setModifiedNs(a, ns) && setModifiedNs(b, ns + 400'000)); // same millisecond
        QCOMPARE(int(CompareFileDates(a, b)), int(DateComparison::SameTime));
        QVERIFY(setModifiedNs(b, ns + 1'500'000'000));
        QCOMPARE(int(CompareFileDates(a, b)), int(DateComparison::SameTimeWithin2s));
        QCOMPARE(FileLastWriteTime(folder), 0.0);
        QVERIFY(!IsReadOnlyFile(a));
        QVERIFY(tree.setMode("a.txt", 0444) && IsReadOnlyFile(a));
        QVERIFY(IsReadOnlyFile(tree.path("missing")));
    }

    void summary_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << false << "Aucun fichier à copier / 10";
        QTest::newRow("one") << 1 << false << "1 fichier à copier / 10";
        QTest::newRow("three") << 3 << false << "3 fichiers à copier / 10";
        // Stop alone says nothing of the list: a refresh cut short or folders edited do.
        QTest::newRow("Stop asked") << 3 << true << "3 fichiers à copier / 10";
    }
    void summary()
    {
        QFETCH(int, count);
        QFETCH(bool, stop);
        QFETCH(QString, text);
        Fixture f({}, {}, false);
        for (int i = 0; i < 10; ++i) {
            FileEntry &row = f.comparison.fileList().append();
            row.classified = i < count;
            row.statusCode = i < count ? StatusToCopy : StatusUpToDate;
        }
        f.comparison.recountRows();
        f.comparison.StopRequested = stop;
        QCOMPARE(f.comparison.summaryText(), text);
        f.comparison.fileList().clear();
        QCOMPARE(f.comparison.filesToCopyCount(), 0);
    }

    // The text is set every time; input goes through on the first call, then not again before
    // the interval has passed.
    void statusThrottle()
    {
        Fixture f({}, {}, false);
        qint64 now = 1000;
        f.comparison.setInputClock([&now] { return now; });
        const int before = f.host.inputs;
        f.comparison.ShowStatusMessage("first");
        QCOMPARE(f.host.inputs, before + 1);
        f.comparison.ShowStatusMessage("at once");
        now += Comparison::kInputIntervalMs - 1;
        f.comparison.ShowStatusMessage("just before");
        QCOMPARE(f.host.inputs, before + 1);
        now += 1;
        f.comparison.ShowStatusMessage("once the interval has passed");
        QCOMPARE(f.host.inputs, before + 2);
        QCOMPARE(f.statuses().size(), 4);
    }
};

TANDRIMO_TEST(FileHelpersTest)
#include "tst_helpers.moc"
