#include "project/recentlist.h"
#include "support/testmain.h"

#include <QDir>
#include <QTest>

class RecentListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addItem_data();
    void addItem();
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

TANDRIMO_TEST(RecentListTest)
#include "tst_recentlist.moc"
