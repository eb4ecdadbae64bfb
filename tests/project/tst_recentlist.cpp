#include "platform/inifile.h"
#include "platform/losslessname.h"
#include "project/recentlist.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDir>
#include <QTest>

class RecentListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addItem_data();
    void addItem();
    void entriesSurviveTheSettingsFile_data();
    void entriesSurviveTheSettingsFile();
};

void RecentListTest::addItem_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("after");
    const QStringList abc{"/a/a.tdm", "/a/b.tdm", "/a/c.tdm"};
    QStringList full;
    for (int i = 0; i < 24; ++i)
        full << QStringLiteral("/p/%1.tdm").arg(i);
    QTest::newRow("already first") << abc << "/a/a.tdm" << abc;
    QTest::newRow("moved to the front")
        << abc << "/a/c.tdm" << QStringList{"/a/c.tdm", "/a/a.tdm", "/a/b.tdm"};
    QTest::newRow("letter case makes another file")
        << abc << "/a/B.tdm" << QStringList{"/a/B.tdm", "/a/a.tdm", "/a/b.tdm", "/a/c.tdm"};
    QTest::newRow("compared clean")
        << abc << "/a//x/../b.tdm" << QStringList{"/a/b.tdm", "/a/a.tdm", "/a/c.tdm"};
    QTest::newRow("made absolute")
        << QStringList() << "p.tdm" << QStringList{QDir::currentPath() + "/p.tdm"};
    QTest::newRow("the last of two equal entries goes")
        << QStringList{"/a/a.tdm", "/a/b.tdm", "/a/b.tdm"} << "/a/b.tdm"
        << QStringList{"/a/b.tdm", "/a/a.tdm", "/a/b.tdm"};
    QTest::newRow("the 25th drops the oldest")
        << full << "/p/new.tdm" << QStringList{"/p/new.tdm"} + full.first(23);
}

void RecentListTest::addItem()
{
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QStringList, after);
    RecentList list;
    list.setItems(before);
    list.addItem(added);
    QCOMPARE(list.items(), after);
}

void RecentListTest::entriesSurviveTheSettingsFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("line break making a section") << "/p\n[Files]\nFileSpy=1\n.tdm";
    QTest::newRow("carriage return") << "/p\r.tdm";
    QTest::newRow("leading bracket") << "[x].tdm";
    QTest::newRow("leading semicolon") << ";x.tdm";
    QTest::newRow("spaces around") << "  /p q.tdm  ";
    QTest::newRow("percent escapes") << "%41%%25.tdm";
    QTest::newRow("equals") << "/a=b.tdm";
    QTest::newRow("not UTF-8") << platform::losslessText("/bad\xff\xc3.tdm");
    QTest::newRow("line separator at the end") << QString("/p.tdm") + QChar(0x2028);
    QTest::newRow("64 KiB") << "/" + QString("é\n[;= %").repeated(64 * 1024 / 8);
}

// Both copies of the list come back from the file exactly as written, and no entry adds a
// section or a key of its own.
void RecentListTest::entriesSurviveTheSettingsFile()
{
    QFETCH(QString, path);
    TestTree tree;
    const QString file = tree.path("tandrimo.ini");
    const QStringList items{path, "/a/b.tdm"};
    platform::IniFile written(file);
    writeKeptRecentList(written, items);
    writeShownRecentList(written, items);
    QVERIFY(written.save().ok());

    const platform::IniFile read = platform::IniFile::load(file);
    QCOMPARE(readKeptRecentList(read), items);
    QCOMPARE(readShownRecentList(read).value_or(QStringList()), items);
    QCOMPARE(read.sectionNames(),
             QStringList({"fmMain.OvcMenuMRU1.Items", "MainForm.OvcMenuMRU1.Items"}));
    QCOMPARE(read.keyNames("fmMain.OvcMenuMRU1.Items"), QStringList({"Count", "0", "1"}));
    QCOMPARE(read.keyNames("MainForm.OvcMenuMRU1.Items"), QStringList({"Count", "Item0", "Item1"}));
}

TANDRIMO_TEST(RecentListTest)
#include "tst_recentlist.moc"
