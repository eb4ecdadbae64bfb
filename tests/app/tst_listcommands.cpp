#include "app/fmoptions.h"
#include "compare/statuscode.h"
#include "filelist/filelistview.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QListView>
#include <QSignalSpy>
#include <QTabWidget>

// The exclusion and row commands as the user meets them: through the window's actions, its
// options dialog and its summaries.
class ListCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_tree = std::make_unique<TestTree>(); }
    void exclusionsFromTheSelectedRows();
    void rowCommandsKeepTheCountAndTheStart();

private:
    QString project();
    std::unique_ptr<TestTree> m_tree;
};

QString ListCommandsTest::project()
{
    const QDateTime when(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
    for (const char *name : {"src/a.TXT", "src/b.txt", "src/c.doc", "src/Makefile"}) {
        m_tree->writeFile(QLatin1String(name), "x", when);
        m_tree->writeFile(u"dst" + QLatin1String(name).mid(3), "x", when);
    }
    return m_tree->writeFile(
        QStringLiteral("p.tdm"),
        "[Directories]\nSrcRelPath=" + m_tree->path(QStringLiteral("src")).toUtf8() +
            "\nDestRelPath=" + m_tree->path(QStringLiteral("dst")).toUtf8() +
            "\nPathRecursive=0\n");
}

// One classification per command, whatever the selection; the options dialog shows the new
// entries at once, opens on the page of a summary clicked, and its "Retirer" removes them.
void ListCommandsTest::exclusionsFromTheSelectedRows()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project()));
    QSignalSpy passes(&run.main().comparison().fileList(), &FileList::reset);
    run.trigger(Command::ActProjectFilesSelectAll);

    run.trigger(Command::ActProjectExtToExcludeAdd);

    QCOMPARE(passes.count(), 1);
    QCOMPARE(run.project().ExtensionsToExclude.entries(), (QStringList{".TXT", ".doc"}));
    QVERIFY(run.project().Modified);
    QCOMPARE(run.label("urlExtToExclude"), QStringLiteral(".txt; .doc;"));
    TfmOptions &options = run.startup->options();
    auto *entries = options.findChild<QListView *>(QStringLiteral("lstExtToExclude"));
    QCOMPARE(entries->model()->rowCount(), 2);

    run.trigger(Command::ActProjectExtToExclude);
    QVERIFY(options.isVisible());
    QCOMPARE(options.findChild<QTabWidget *>(QStringLiteral("PageControl1"))->currentIndex(),
             int(TfmOptions::PageExtensions));
    entries->selectAll();
    passes.clear();
    run.trigger(Command::ActProjectExtToExcludeDelete);
    QCOMPARE(passes.count(), 1);
    QCOMPARE(run.project().ExtensionsToExclude.count(), 0);
    QCOMPARE(run.label("urlExtToExclude"), QStringLiteral("Aucune"));
    for (int i = 0; i < run.main().comparison().fileList().count(); ++i)
        QCOMPARE(run.main().comparison().fileList().row(i).statusText, QStringLiteral("A jour"));
}

// Up-to-date rows added to the copy enable Start at once; taken out again, they disable it.
void ListCommandsTest::rowCommandsKeepTheCountAndTheStart()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project()));
    QVERIFY(!run.action(Command::ActAppCopyFiles)->isEnabled());
    run.trigger(Command::ActProjectFilesSelectAll);

    run.trigger(Command::ActProjectFilesToCopyAdd);
    QCOMPARE(run.main().comparison().FilesToCopyCount, 4);
    QVERIFY(run.action(Command::ActAppCopyFiles)->isEnabled());
    QCOMPARE(run.main().statusText(2), QStringLiteral("4 fichiers à copier / 4"));

    run.trigger(Command::ActProjectFilesInvertSrcAndDest);
    QCOMPARE(run.main().comparison().fileList().row(0).statusCode, std::int32_t(StatusToCopyBack));
    run.trigger(Command::ActProjectFilesToCopyDelete);
    QCOMPARE(run.main().comparison().FilesToCopyCount, 0);
    QVERIFY(!run.action(Command::ActAppCopyFiles)->isEnabled());
    QCOMPARE(run.main().comparison().fileList().row(3).statusText, QStringLiteral("Exclu"));
}

TANDRIMO_TEST(ListCommandsTest)
#include "tst_listcommands.moc"
