#include "project/exclusionlist.h"
#include "project/projectfile.h"
#include "project/userprefs.h"
#include "support/childprocess.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QElapsedTimer>
#include <QTest>

class ProjectFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsValuesAndDefaults_data();
    void readsValuesAndDefaults();
    void refusesWhatExceedsTheLimits_data();
    void refusesWhatExceedsTheLimits();
    void loadsAHugeListAtOnce();
    void writesANewFileInItsLayout();
    void rewritesAnExistingFile();
    void entriesReadBackAsWritten_data();
    void entriesReadBackAsWritten();
    void failedWriteLeavesTheFile();
    void exclusionListCompares_data();
    void exclusionListCompares();
    void summaries_data();
    void summaries();
    void summariesOfLongListsAreCut();
    void readsPreferences_data();
    void readsPreferences();
    void writesPreferencesInOrder();
};

void ProjectFileTest::readsValuesAndDefaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("dest");
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("missing");

    // A missing folder reads as empty, never as "/", and is reported.
    const QString none;
    const QString src = QStringLiteral("Directories/SrcRelPath");
    const QString dest = QStringLiteral("Directories/DestRelPath");
    const QString rec = QStringLiteral("Directories/PathRecursive");
    const QStringList all{src, dest, rec};
    QTest::newRow("example")
        << QByteArray("[Directories]\nSrcRelPath=/photos\nDestRelPath=/sauvegarde/photos\n"
                      "PathRecursive=1\n[ExtensionsToExclude]\n.tmp=#\n.bak=#\n"
                      "[FilesToExclude]\n/Thumbs.db=#\n/brouillons/essai.jpg=#\n")
        << "/photos"
        << "/sauvegarde/photos" << true << QStringList{".tmp", ".bak"}
        << QStringList{"/Thumbs.db", "/brouillons/essai.jpg"} << QStringList();
    QTest::newRow("empty file") << QByteArray() << none << none << false << QStringList()
                                << QStringList() << all;
    QTest::newRow("not a project") << QByteArray("hello\x00\xff world", 14) << none << none << false
                                   << QStringList() << QStringList() << all;
    QTest::newRow("hex recursive")
        << QByteArray("[directories]\npathrecursive=0x10\n") << none << none << true
        << QStringList() << QStringList() << QStringList{src, dest};
    QTest::newRow("word recursive")
        << QByteArray("[Directories]\nPathRecursive=yes\nSrcRelPath=/a\nDestRelPath=/b\n") << "/a"
        << "/b" << false << QStringList() << QStringList() << QStringList();
    QTest::newRow("hex zero") << QByteArray("[Directories]\nPathRecursive=0x0\n") << none << none
                              << false << QStringList() << QStringList() << QStringList{src, dest};
    QTest::newRow("value kept verbatim")
        << QByteArray("[Directories]\nSrcRelPath=  /a b/  \nDestRelPath=rel\\x\n") << "/a b/"
        << "rel\\x" << false << QStringList() << QStringList() << QStringList{rec};
    QTest::newRow("section without keys")
        << QByteArray("[ExtensionsToExclude]\n[FilesToExclude]\n") << none << none << false
        << QStringList() << QStringList() << all;
    QTest::newRow("no Directories section")
        << QByteArray("[Other]\nSrcRelPath=/a\nDestRelPath=/b\nPathRecursive=1\n") << none << none
        << false << QStringList() << QStringList() << all;
    QTest::newRow("damaged byte in a key name")
        << QByteArray("[Directories]\nSrcRel\xd0"
                      "ath=/a\nDestRelPath=/b\nPathRecursive=1\n")
        << none << "/b" << true << QStringList() << QStringList() << QStringList{src};
    QTest::newRow("cut after the source")
        << QByteArray("[Directories]\nSrcRelPath=/a\nDestRel") << "/a" << none << false
        << QStringList() << QStringList() << QStringList{dest, rec};
    // Only a key exactly as the program escapes one is decoded; any other reads as written. A
    // byte that is not UTF-8 is a byte kept from a name.
    QTest::newRow("keys starting with the escape")
        << QByteArray("[FilesToExclude]\n%%3D=#\n%%2Fa%20=#\n%20off.txt=#\n%zz=#\n%%3d=#\n"
                      "%%C3=#\n%%c3=#\n%=#\n%%=#\n")
        << none << none << false << QStringList()
        << QStringList{"=",    "/a ", "%20off.txt", "%zz", "%%3d", QString::fromUtf16(u"\xDCC3"),
                       "%%c3", "%",   "%%"}
        << all;
    QTest::newRow("empty value is no missing key")
        << QByteArray("[Directories]\nSrcRelPath=\nDestRelPath=/b\nPathRecursive=0\n") << none
        << "/b" << false << QStringList() << QStringList() << QStringList();
}

void ProjectFileTest::readsValuesAndDefaults()
{
    QFETCH(QByteArray, content);
    TestTree tree;
    ProjectFileContent read;
    const ProjectFileRead outcome =
        readProjectFile(tree.writeFile(QStringLiteral("p.tdm"), content), read);
    QVERIFY(outcome.ok());
    QTEST(read.SrcPath, "src");
    QTEST(read.DestPath, "dest");
    QTEST(read.PathRecursive, "recursive");
    QTEST(read.extensionsToExclude, "extensions");
    QTEST(read.filesToExclude, "files");
    QTEST(outcome.missingKeys, "missing");
}

void ProjectFileTest::refusesWhatExceedsTheLimits_data()
{
    using Outcome = platform::IniFile::LoadOutcome;
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Outcome>("outcome");

    const QByteArray sixteenMiB = QByteArray(QByteArray(1023, 'x') + '\n').repeated(16 * 1024);
    const QByteArray longLine(64 * 1024, 'x');
    QTest::newRow("16 MiB") << sixteenMiB << Outcome::Read;
    QTest::newRow("16 MiB and a byte") << sixteenMiB + 'x' << Outcome::TooLarge;
    QTest::newRow("line of 64 KiB") << "[A]\n" + longLine + "\r\n" << Outcome::Read;
    QTest::newRow("line of 64 KiB and a byte") << longLine + "x\n[A]\n" << Outcome::LineTooLong;
    QTest::newRow("last line of 64 KiB and a byte")
        << "[A]\n" + longLine + 'x' << Outcome::LineTooLong;
}

void ProjectFileTest::refusesWhatExceedsTheLimits()
{
    QFETCH(QByteArray, content);
    QFETCH(platform::IniFile::LoadOutcome, outcome);
    TestTree tree;
    ProjectFileContent read;
    const ProjectFileRead result =
        readProjectFile(tree.writeFile(QStringLiteral("p.tdm"), content), read);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.ok(), outcome == platform::IniFile::LoadOutcome::Read);
}

void ProjectFileTest::loadsAHugeListAtOnce()
{
    // A hang guard, not a performance figure: writing and loading took minutes when each entry
    // was compared with every other one. The child's time limit is the guard; a tighter one
    // fails on a loaded machine under the sanitizers.
    TestTree tree;
    const QString path = tree.path(QStringLiteral("huge.tdm"));
    const ChildOutcome child = runInChild([&path] {
        ProjectFileContent content;
        for (int i = 0; i < 200000; ++i)
            content.filesToExclude.append(QStringLiteral("/dossier %1/Fichier.txt").arg(i));
        if (!writeProjectFile(path, content).ok())
            return QByteArray("write failed");
        QElapsedTimer timer;
        timer.start();
        ProjectFileContent read;
        if (!readProjectFile(path, read).ok())
            return QByteArray("read failed");
        ExclusionList list(ExclusionList::Kind::Files);
        list.assign(read.filesToExclude);
        const qint64 elapsed = timer.elapsed();
        if (list.entries() != content.filesToExclude ||
            !list.contains(QStringLiteral("dossier 199999/Fichier.txt")))
            return QByteArray("lists differ");
        return QByteArray::number(elapsed);
    });
    QVERIFY2(child.exited, child.timedOut ? "took more than 20 s" : "crashed");
    bool number = false;
    const qint64 elapsed = child.output.toLongLong(&number);
    QVERIFY2(number, child.output.constData());
    qInfo("200000 entries read and assigned in %lld ms", elapsed);
}

void ProjectFileTest::writesANewFileInItsLayout()
{
    TestTree tree;
    ProjectFileContent content;
    content.SrcPath = QStringLiteral("/données/photos");
    content.DestPath = QStringLiteral("/mnt/sauvegarde");
    content.PathRecursive = true;
    content.extensionsToExclude = {QStringLiteral(".tmp"), QStringLiteral(".bak")};
    const QString path = tree.path(QStringLiteral("new.tdm"));
    QVERIFY(writeProjectFile(path, content).ok());
    QCOMPARE(tree.read(QStringLiteral("new.tdm")),
             QByteArray("[Directories]\nSrcRelPath=/données/photos\nDestRelPath=/mnt/sauvegarde\n"
                        "PathRecursive=1\n\n[ExtensionsToExclude]\n.tmp=#\n.bak=#\n"));

    ProjectFileContent back;
    QVERIFY(readProjectFile(path, back).ok());
    QCOMPARE(back.extensionsToExclude, content.extensionsToExclude);
    QVERIFY(back.filesToExclude.isEmpty());
}

void ProjectFileTest::rewritesAnExistingFile()
{
    TestTree tree;
    const QString path = tree.writeFile(
        QStringLiteral("p.tdm"), "[Foreign]\nmine=1\n[Directories]\nSrcRelPath=/old\nComment=keep\n"
                                 "PathRecursive=1\n[FilesToExclude]\n/gone.txt=#\n[After]\nx=y\n");
    ProjectFileContent content;
    content.SrcPath = QStringLiteral("/new");
    content.DestPath = QStringLiteral("/dest");
    content.filesToExclude = {QStringLiteral("/a.txt")};
    QVERIFY(writeProjectFile(path, content).ok());
    QCOMPARE(tree.read(QStringLiteral("p.tdm")),
             QByteArray("[Foreign]\nmine=1\n[Directories]\nSrcRelPath=/new\nComment=keep\n"
                        "PathRecursive=0\nDestRelPath=/dest\n[After]\nx=y\n\n[FilesToExclude]\n"
                        "/a.txt=#\n"));
}

void ProjectFileTest::entriesReadBackAsWritten_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("key");
    QTest::newRow("plain") << "/a.txt" << QByteArray("/a.txt");
    QTest::newRow("percent inside") << "/100%.txt" << QByteArray("/100%.txt");
    QTest::newRow("accented") << "/été.txt" << QByteArray("/été.txt");
    QTest::newRow("replacement character") << "/bad" + QString(QChar::ReplacementCharacter) + ".txt"
                                           << QByteArray("/bad\xef\xbf\xbd.txt");
    QTest::newRow("equals") << "/a=b.txt" << QByteArray("%%2Fa%3Db.txt");
    QTest::newRow("line breaks") << "/a\r\nb\nc.txt" << QByteArray("%%2Fa%0D%0Ab%0Ac.txt");
    QTest::newRow("tab") << "a\tb" << QByteArray("%a%09b");
    QTest::newRow("leading bracket") << "[x].txt" << QByteArray("%%5Bx%5D.txt");
    QTest::newRow("leading semicolon") << ";x.txt" << QByteArray("%%3Bx.txt");
    QTest::newRow("spaces at both ends") << " é.txt " << QByteArray("%%20%C3%A9.txt%20");
    QTest::newRow("trailing no-break space") << "/x\u00a0" << QByteArray("%%2Fx%C2%A0");
    QTest::newRow("leading percent") << "%20.txt" << QByteArray("%%2520.txt");
    // A byte of a name that is not UTF-8 is kept as a lone surrogate, and written as that byte.
    QTest::newRow("kept byte") << QString::fromUtf16(u"/bad\xDCFF.txt")
                               << QByteArray("%%2Fbad%FF.txt");
    QTest::newRow("kept bytes around letters")
        << QString::fromUtf16(u"/é\xDCE9t\xDC80") << QByteArray("%%2F%C3%A9%E9t%80");
}

void ProjectFileTest::entriesReadBackAsWritten()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, key);
    TestTree tree;
    ProjectFileContent content;
    content.extensionsToExclude = {entry};
    content.filesToExclude = {entry, QStringLiteral("/c.txt")};
    const QString path = tree.path(QStringLiteral("p.tdm"));
    QVERIFY(writeProjectFile(path, content).ok());
    const QByteArray written = tree.read(QStringLiteral("p.tdm"));
    QCOMPARE(written.sliced(written.lastIndexOf("[FilesToExclude]")),
             QByteArray("[FilesToExclude]\n" + key + "=#\n/c.txt=#\n"));
    ProjectFileContent back;
    QVERIFY(readProjectFile(path, back).ok());
    QCOMPARE(back.extensionsToExclude, content.extensionsToExclude);
    QCOMPARE(back.filesToExclude, content.filesToExclude);
}

void ProjectFileTest::failedWriteLeavesTheFile()
{
    TestTree tree;
    const QByteArray before = "[Directories]\nSrcRelPath=/keep\n";
    const QString path = tree.writeFile(QStringLiteral("p.tdm"), before);
    QVERIFY(tree.setMode(QStringLiteral("p.tdm"), 0444));
    ProjectFileContent content;
    content.SrcPath = QStringLiteral("/other");
    QVERIFY(!writeProjectFile(path, content).ok());
    QCOMPARE(tree.read(QStringLiteral("p.tdm")), before);
}

// Entries as added in order ('+' appended, '=' refused as a duplicate), then probes that match
// ('~') or do not ('!'). assign() of the same entries keeps the same ones.
void ProjectFileTest::exclusionListCompares_data()
{
    QTest::addColumn<bool>("files");
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("extensions ignore letter case")
        << false << QStringList{"+.TXT", "=.txt", "+.été", "~.ÉTÉ", "~.tXt", "!.tx", "!"};
    // Folded letter by letter, as a comparison without case: "ſ" is an "s", "ß" is no "ss".
    QTest::newRow("extensions fold letters") << false << QStringList{"+.ſ", "~.S", "+.ß", "!.SS"};
    QTest::newRow("files keep letter case")
        << true << QStringList{"+/A.txt", "+/a.txt", "=/a.txt", "!/A.TXT", "+/été", "!/ÉTÉ"};
    QTest::newRow("an old entry without its '/'")
        << true << QStringList{"+a.txt",     "=/a.txt", "+sub/b.txt", "~/sub/b.txt",
                               "~sub/b.txt", "!/A.txt", "!//a.txt",   "!/b.txt"};
    QTest::newRow("the whole path, not the name")
        << true << QStringList{"+/a/x.txt", "!/b/x.txt", "!/x.txt", "!x.txt", "!", "!/"};
    QTest::newRow("kept bytes are letters of their own")
        << true
        << QStringList{QString::fromUtf16(u"+/bad\xDCFF.txt"),
                       QString::fromUtf16(u"+/bad\xDCFE.txt"),
                       QString::fromUtf16(u"!/bad\xFFFD.txt")};
}

void ProjectFileTest::exclusionListCompares()
{
    QFETCH(bool, files);
    QFETCH(QStringList, steps);
    const auto kind = files ? ExclusionList::Kind::Files : ExclusionList::Kind::Extensions;
    ExclusionList list(kind);
    QStringList added, kept;
    for (const QString &step : steps) {
        const QString entry = step.mid(1);
        if (step[0] == u'+' || step[0] == u'=') {
            QCOMPARE(list.add(entry), step[0] == u'+');
            added << entry;
            if (step[0] == u'+')
                kept << entry;
        } else {
            QVERIFY2(list.contains(entry) == (step[0] == u'~'), qPrintable(step));
        }
    }
    QVERIFY(!list.add(QString()));
    QCOMPARE(list.entries(), kept);
    ExclusionList assigned(kind);
    assigned.assign(added + QStringList{QString()});
    QCOMPARE(assigned.entries(), kept);
    // A removed entry frees its place; an invalid index removes nothing.
    QVERIFY(!list.removeAt(-1) && !list.removeAt(list.count()));
    QVERIFY(list.removeAt(0));
    QVERIFY(!list.contains(kept[0]));
    QVERIFY(list.add(kept[0]));
}

void ProjectFileTest::summaries_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("extensions");
    QTest::addColumn<QString>("files");

    QTest::newRow("empty") << QStringList() << "Aucune"
                           << "Aucun";
    QTest::newRow("two") << QStringList{".TMP", ".bak"} << ".tmp; .bak;"
                         << ".TMP; .bak;";
    QTest::newRow("accents keep their case") << QStringList{".ÉTÉ"} << ".ÉtÉ;"
                                             << ".ÉTÉ;";
    QTest::newRow("controls trimmed at the ends")
        << QStringList{" \t/Thumbs.db", "/Docs/Note.txt"} << "/thumbs.db; /docs/note.txt;"
        << "/Thumbs.db; /Docs/Note.txt;";
}

void ProjectFileTest::summaries()
{
    QFETCH(QStringList, entries);
    QTEST(extensionsSummary(entries), "extensions");
    QTEST(filesSummary(entries), "files");
}

void ProjectFileTest::summariesOfLongListsAreCut()
{
    QStringList many;
    for (int i = 0; i < 100000; ++i)
        many.append(QStringLiteral("/F%1").arg(i));
    const QString cut = extensionsSummary(many);
    QCOMPARE(cut.size(), kSummaryLength + 1);
    QVERIFY(cut.startsWith(QStringLiteral("/f0; /f1; ")));
    QVERIFY(cut.endsWith(u'…'));
    // The space after the last entry is trimmed before the length is judged.
    const QString fits(kSummaryLength - 1, u'x');
    QCOMPARE(filesSummary({fits}), fits + u';');
    QCOMPARE(filesSummary({fits + u'x'}), fits + u'x' + u'…');
}

void ProjectFileTest::readsPreferences_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<bool>>("expected");

    const QList<bool> defaults{false, true, true, true, false, false, true};
    QTest::newRow("no file") << QByteArray("<none>") << defaults;
    QTest::newRow("empty file") << QByteArray() << defaults;
    QTest::newRow("every key")
        << QByteArray("[Files]\nFileDeleteSrc=1\nFileDeleteDest=0\nFileDeleteSendToTrash=0\n"
                      "FileSyncReadOnly=0\nFileCompareCopy=1\nFileSpy=1\n[Misc]\n"
                      "AppShowOpenProjectAtStartup=0\n")
        << QList<bool>{true, false, false, false, true, true, false};
    QTest::newRow("odd values")
        << QByteArray("[files]\nFileSyncReadOnly=yes\nfiledeletesrc=2\nFileCompareCopy=0x0\n"
                      "FileDeleteDest=0x\n")
        << QList<bool>{true, false, true, true, false, false, true};
    QTest::newRow("keys in the wrong section")
        << QByteArray("[Misc]\nFileDeleteSrc=1\n[Files]\nAppShowOpenProjectAtStartup=0\n")
        << defaults;
}

void ProjectFileTest::readsPreferences()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<bool>, expected);
    TestTree tree;
    const QString path = content == "<none>" ? tree.path(QStringLiteral("none.ini"))
                                             : tree.writeFile(QStringLiteral("s.ini"), content);
    UserPrefs prefs;
    prefs.IniWritable = true;
    readUserPrefs(path, prefs);
    const QList<bool> read{prefs.FileDeleteSrc,
                           prefs.FileDeleteDest,
                           prefs.FileDeleteSendToTrash,
                           prefs.FileSyncReadOnly,
                           prefs.FileCompareCopy,
                           prefs.FileSpy,
                           prefs.AppShowOpenProjectAtStartup};
    QCOMPARE(read, expected);
    QVERIFY(prefs.IniWritable);
}

void ProjectFileTest::writesPreferencesInOrder()
{
    TestTree tree;
    const QString path = tree.writeFile(QStringLiteral("s.ini"), "[Test]\nWriteToIniTest=1\n");
    UserPrefs prefs;
    prefs.FileDeleteSrc = true;
    prefs.FileCompareCopy = true;
    QVERIFY(writeUserPrefs(path, prefs).ok());
    QCOMPARE(tree.read(QStringLiteral("s.ini")),
             QByteArray("[Test]\nWriteToIniTest=1\n\n[Files]\nFileDeleteSrc=1\nFileDeleteDest=1\n"
                        "FileDeleteSendToTrash=1\nFileSyncReadOnly=1\nFileCompareCopy=1\n"
                        "FileSpy=0\n\n[Misc]\nAppShowOpenProjectAtStartup=1\n"));
}

TANDRIMO_TEST(ProjectFileTest)
#include "tst_projectfile.moc"
