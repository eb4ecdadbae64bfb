#include "app/fmoptions.h"
#include "compare/statuscode.h"
#include "filelist/filelistview.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QHeaderView>
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
    void sortHoldsOverARefresh_data();
    void sortHoldsOverARefresh();

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
    QCOMPARE(run.main().comparison().filesToCopyCount(), 4);
    QVERIFY(run.action(Command::ActAppCopyFiles)->isEnabled());
    QCOMPARE(run.main().statusText(2), QStringLiteral("4 fichiers à copier / 4"));

    run.trigger(Command::ActProjectFilesInvertSrcAndDest);
    QCOMPARE(run.main().comparison().fileList().row(0).statusCode, std::int32_t(StatusToCopyBack));
    run.trigger(Command::ActProjectFilesToCopyDelete);
    QCOMPARE(run.main().comparison().filesToCopyCount(), 0);
    QVERIFY(!run.action(Command::ActAppCopyFiles)->isEnabled());
    QCOMPARE(run.main().comparison().fileList().row(3).statusText, QStringLiteral("Exclu"));
}

void ListCommandsTest::sortHoldsOverARefresh_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("shown");
    // a, b, c: 2, 300 and 10 bytes, written at 12:00, 8:00 and 10:00. Sizes sort as texts.
    QTest::newRow("Taille, descending") << int(fldFileSize) << 2 << "bac";
    QTest::newRow("Taille, ascending") << int(fldFileSize) << 1 << "cab";
    QTest::newRow("Source, ascending") << int(fldDTSrc) << 1 << "bca";
    QTest::newRow("Source, descending") << int(fldDTSrc) << 2 << "acb";
}

// The order chosen by header clicks holds for the rows a refresh brings back, and the header
// still shows it.
void ListCommandsTest::sortHoldsOverARefresh()
{
    QFETCH(int, column);
    QFETCH(int, clicks);
    QFETCH(QString, shown);
    const QDate day(2024, 5, 1);
    m_tree->writeFile(QStringLiteral("src/a"), QByteArray(2, 'x'), QDateTime(day, QTime(12, 0)));
    m_tree->writeFile(QStringLiteral("src/b"), QByteArray(300, 'x'), QDateTime(day, QTime(8, 0)));
    m_tree->writeFile(QStringLiteral("src/c"), QByteArray(10, 'x'), QDateTime(day, QTime(10, 0)));
    m_tree->makeFolder(QStringLiteral("dst"));
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(m_tree->writeFile(
        QStringLiteral("p.tdm"), "[Directories]\nSrcRelPath=" + m_tree->root().toUtf8() +
                                     "/src\nDestRelPath=" + m_tree->root().toUtf8() +
                                     "/dst\nPathRecursive=0\n")));
    FileListView *view = run.main().fileListView();
    QHeaderView *header = view->horizontalHeader();
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 4, 4));
    const auto shownNow = [&] {
        QString names;
        for (int i = 0; i < run.main().comparison().fileList().count(); ++i)
            names += run.main().comparison().fileList().row(view->fileRowAt(i)).files.back();
        return names;
    };
    QCOMPARE(shownNow(), shown);
    run.trigger(Command::ActProjectFileToCopyRefresh);
    // Sorted once the list is left alone, when the window next takes events.
    QTRY_COMPARE(shownNow(), shown);
    QCOMPARE(header->sortIndicatorSection(), column);
    QCOMPARE(header->sortIndicatorOrder(), clicks == 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

TANDRIMO_TEST(ListCommandsTest)
#include "tst_listcommands.moc"
