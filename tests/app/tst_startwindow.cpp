#include "app/guard.h"
#include "app/recentprojects.h"
#include "compare/filesize.h"
#include "filelist/datetimetext.h"
#include "filelist/filelistview.h"
#include "platform/inifile.h"
#include "platform/regional.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

namespace {

QRect availableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A section of the settings file as "key=value" lines.
QStringList section(const QString &ini, const QString &name)
{
    const platform::IniFile file = platform::IniFile::load(ini);
    QStringList lines;
    for (const QString &key : file.keyNames(name))
        lines << key + u'=' + file.readString(name, key, QString());
    return lines;
}

} // namespace

// What the main window starts with and keeps: the recent projects, the project chooser, the
// placement, the size of a first run and the regional settings.
class StartWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_tree = std::make_unique<TestTree>(); }
    void recentEntriesFollowOpensAndSaves();
    void onlyAnOpenedProjectMovesToTheFront_data();
    void onlyAnOpenedProjectMovesToTheFront();
    void storedCopies_data();
    void storedCopies();
    void chooser_data();
    void chooser();
    void projectNamedOnTheCommandLine();
    void placement_data();
    void placement();
    void firstRunShowsEveryColumn_data();
    void firstRunShowsEveryColumn();
    void frenchWithoutRegionalSettings();

private:
    QString project(const QString &name);
    std::unique_ptr<TestTree> m_tree;
};

QString StartWindowTest::project(const QString &name)
{
    return m_tree->writeFile(
        name, "[Directories]\nSrcRelPath=" + m_tree->makeFolder("src").toUtf8() +
                  "\nDestRelPath=" + m_tree->makeFolder("dst").toUtf8() + "\nPathRecursive=0\n");
}

// Letter case tells files apart; the entries stand above "Quitter", open their project, and
// refuse while a copy run is in progress.
void StartWindowTest::recentEntriesFollowOpensAndSaves()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    RecentProjects &recent = run.main().recentProjects();
    const QString lower = project(QStringLiteral("p.tdm"));
    const QString upper = m_tree->path(QStringLiteral("P.tdm"));
    QVERIFY(run.main().projects().ProjectLoad(lower));
    QVERIFY(run.main().projects().ProjectSaveTo(upper));
    recent.entries().at(1)->trigger();
    QCOMPARE(run.project().FileName, lower);
    QCOMPARE(recent.Items(), QStringList({lower, upper}));
    const QList<QAction *> menu = run.main().findChild<QMenu *>("mnuFile")->actions();
    const qsizetype first = menu.indexOf(recent.entries().first());
    QVERIFY(menu[first - 1]->isSeparator() && menu[first + 2]->isSeparator());
    QCOMPARE(menu.mid(first + 3), QList<QAction *>({run.action(Command::ActAppClose)}));

    for (int i = 0; i < 30; ++i)
        QVERIFY(run.main().projects().ProjectSaveTo(m_tree->path(QString::number(i) + ".tdm")));
    QCOMPARE(recent.Items().size(), 24);
    QCOMPARE(recent.entries().at(23)->text(), QStringLiteral("&O 6.tdm"));
    run.main().comparison().beginCopyRun();
    run.main().UpdateCommandStates();
    QVERIFY(!recent.entries().first()->isEnabled());
    guarded([&] { recent.OvcMenuMRU1Click(lower); });
    QCOMPARE(run.project().FileName, m_tree->path(QStringLiteral("29.tdm")));
}

void StartWindowTest::onlyAnOpenedProjectMovesToTheFront_data()
{
    QTest::addColumn<QString>("clicked"); // the second entry: "p.tdm" a project
    QTest::addColumn<bool>("opens");
    QTest::newRow("a project") << "p.tdm" << true;
    QTest::newRow("a missing file") << "gone.tdm" << false;
    QTest::newRow("a folder") << "folder.tdm" << false;
    QTest::newRow("no project") << "empty.tdm" << false;
}

// A click on an entry whose file does not open says why and leaves the list, and the next
// chooser's choice, as they were.
void StartWindowTest::onlyAnOpenedProjectMovesToTheFront()
{
    QFETCH(QString, clicked);
    QFETCH(bool, opens);
    const QString first = project(QStringLiteral("first.tdm"));
    project(QStringLiteral("p.tdm"));
    m_tree->makeFolder(QStringLiteral("folder.tdm"));
    m_tree->writeFile(QStringLiteral("empty.tdm"), QByteArray(70 * 1024, 'x'));
    const QString second = m_tree->path(clicked);
    const QString ini = m_tree->writeFile(
        QStringLiteral("s.ini"), "[fmMain.OvcMenuMRU1.Items]\nCount=2\n0=" + first.toUtf8() +
                                     "\n1=" + second.toUtf8() + '\n');
    WindowRun run(ini);
    RecentProjects &recent = run.main().recentProjects();
    QCOMPARE(recent.Items(), QStringList({first, second}));
    if (!opens)
        run.dialogs.answer(BoxButton::Ok);
    recent.entries().at(1)->trigger();
    QCOMPARE(run.dialogs.boxes().size(), opens ? 0 : 1);
    QCOMPARE(run.project().FileName, opens ? second : QString());
    const QStringList after = opens ? QStringList{second, first} : QStringList{first, second};
    QCOMPARE(recent.Items(), after);
    QVERIFY(run.main().close());
    QCOMPARE(section(ini, QStringLiteral("fmMain.OvcMenuMRU1.Items")),
             QStringList({"Count=2", "0=" + after[0], "1=" + after[1]}));
}

void StartWindowTest::storedCopies_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QStringList>("items");
    QByteArray manyShown = "[MainForm.OvcMenuMRU1.Items]\nCount=10000\n";
    QStringList first24;
    for (int i = 0; i < 10000; ++i) {
        manyShown += "Item" + QByteArray::number(i) + "=/s" + QByteArray::number(i) + ".tdm\n";
        if (i < 24)
            first24 << QStringLiteral("/s%1.tdm").arg(i);
    }
    QTest::newRow("own copy, a missing key empty")
        << QByteArray("[fmMain.OvcMenuMRU1.Items]\nCount=3\n0=/a.tdm\n1=/b.tdm\n")
        << QStringList{"/a.tdm", "/b.tdm", ""};
    QTest::newRow("the window state's copy wins")
        << QByteArray("[MainForm.OvcMenuMRU1.Items]\nCount= 1 \nItem0=/s.tdm\n"
                      "[fmMain.OvcMenuMRU1.Items]\nCount=1\n0=/a.tdm\n")
        << QStringList{"/s.tdm"};
    QTest::newRow("unless its Count is 0") << QByteArray("[MainForm.OvcMenuMRU1.Items]\nCount=0\n"
                                                         "[fmMain.OvcMenuMRU1.Items]\nCount=1\n"
                                                         "0=/a.tdm\n")
                                           << QStringList{"/a.tdm"};
    QTest::newRow("Count not a number")
        << QByteArray("[fmMain.OvcMenuMRU1.Items]\nCount=x\n0=/a\n") << QStringList();
    QTest::newRow("10,000 entries read up to 24") << manyShown << first24;
}

void StartWindowTest::storedCopies()
{
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, items);
    const QString ini = m_tree->writeFile(QStringLiteral("s.ini"), settings);
    WindowRun run(ini);
    QCOMPARE(run.main().recentProjects().Items(), items);
    QVERIFY(run.main().close());
    QStringList shown, kept{QStringLiteral("Count=%1").arg(items.size())};
    for (qsizetype i = 0; i < items.size(); ++i) {
        shown << QStringLiteral("Item%1=").arg(i) + items[i];
        kept << QStringLiteral("%1=").arg(i) + items[i];
    }
    if (!items.isEmpty())
        shown.prepend(kept.first());
    QCOMPARE(section(ini, QStringLiteral("MainForm.OvcMenuMRU1.Items")), shown);
    QCOMPARE(section(ini, QStringLiteral("fmMain.OvcMenuMRU1.Items")), kept);
}

void StartWindowTest::chooser_data()
{
    QTest::addColumn<QStringList>("recent"); // in the test's folder; "" an empty entry
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key"); // on the list; 0 clicks "Quitter"
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("missing"); // the name the box says does not exist
    const QStringList pq{"p.tdm", "q.tdm"};
    QTest::newRow("new project") << QStringList() << 0 << int(Qt::Key_Return) << ""
                                 << "-";
    QTest::newRow("recent project") << pq << 1 << int(Qt::Key_Enter) << "q.tdm"
                                    << "-";
    QTest::newRow("missing recent file")
        << QStringList{"gone.tdm", "p.tdm"} << 0 << int(Qt::Key_Return) << ""
        << "gone.tdm";
    QTest::newRow("empty entry") << QStringList{"", "p.tdm"} << 0 << int(Qt::Key_Return) << ""
                                 << "";
    QTest::newRow("other project") << pq << 2 << int(Qt::Key_Return) << "q.tdm"
                                   << "-";
    QTest::newRow("Escape") << pq << 0 << int(Qt::Key_Escape) << ""
                            << "-";
    QTest::newRow("Quitter") << pq << 0 << 0 << ""
                             << "-";
}

void StartWindowTest::chooser()
{
    QFETCH(QStringList, recent);
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(QString, opened);
    QFETCH(QString, missing);
    project(QStringLiteral("p.tdm"));
    project(QStringLiteral("q.tdm"));
    QByteArray settings = "[Test]\nWriteToIniTest=1\n[fmMain.OvcMenuMRU1.Items]\nCount=" +
                          QByteArray::number(recent.size()) + '\n';
    for (qsizetype i = 0; i < recent.size(); ++i) {
        if (!recent[i].isEmpty())
            settings += QByteArray::number(i) + '=' + m_tree->path(recent[i]).toUtf8() + '\n';
    }
    int greyed = 0;
    auto run = std::make_unique<WindowRun>(
        m_tree->writeFile(QStringLiteral("s.ini"), settings),
        [&](TfmOpenProject &chooser, ScriptedDialogs &dialogs) {
            auto *list = chooser.findChild<QListWidget *>(QStringLiteral("lstProjectList"));
            QCOMPARE(list->isEnabled(), !recent.isEmpty());
            for (int i = 0; i < list->count(); ++i)
                greyed += list->item(i)->foreground() ==
                          chooser.palette().brush(QPalette::Disabled, QPalette::Text);
            dialogs.chooseFile(m_tree->path(QStringLiteral("q.tdm")));
            list->setCurrentRow(row);
            if (key == 0)
                chooser.findChild<QPushButton *>(QStringLiteral("btnQuit"))->click();
            else
                QTest::keyClick(list, Qt::Key(key));
        });
    QCOMPARE(greyed, recent.size() - recent.count("p.tdm") - recent.count("q.tdm"));
    QCOMPARE(run->shown, key != 0);
    QCOMPARE(run->main().isVisible(), key != 0);
    QCOMPARE(run->project().FileName, opened.isEmpty() ? QString() : m_tree->path(opened));
    QCOMPARE(run->dialogs.fileDialogs(), int(key != 0 && row == recent.size() && row > 0));
    QCOMPARE(run->dialogs.boxes().size(), int(missing != u"-"));
    if (missing != u"-")
        QVERIFY(run->dialogs.boxes().first().text.startsWith("Le fichier \"" + missing + "\" ne"));
    run.reset();
    if (key == 0)
        QCOMPARE(m_tree->read(QStringLiteral("s.ini")), settings);
}

// A file manager opening a .tdm: the project opens and lists without the chooser.
void StartWindowTest::projectNamedOnTheCommandLine()
{
    const QString path = project(QStringLiteral("p.tdm"));
    m_tree->writeFile(QStringLiteral("src/a.txt"), "a");
    WindowRun run(m_tree->path(QStringLiteral("s.ini")), escapeChooser, path);
    QVERIFY(run.main().isVisible());
    QCOMPARE(run.project().FileName, path);
    QCOMPARE(run.main().comparison().fileList().count(), 1);
}

void StartWindowTest::placement_data()
{
    QTest::addColumn<QByteArray>("mainForm");
    QTest::addColumn<QRect>("normal"); // empty: the placement of a first run; null: anywhere
    QTest::addColumn<bool>("maximized");
    QTest::newRow("restored") << QByteArray("Flags=0\nShowCmd=1\nNormalPos=40,50,640,450\n")
                              << QRect(40, 50, 600, 400) << false;
    QTest::newRow("maximized") << QByteArray("ShowCmd=3\nNormalPos=40,50,640,450\n")
                               << QRect(40, 50, 600, 400) << true;
    QTest::newRow("another density")
        << QByteArray("NormalPos=40,50,640,450\nPixelsPerInch=120\n") << QRect(0, 0, 0, 0) << false;
    QTest::newRow("no placement") << QByteArray("ShowCmd=3\n") << QRect(0, 0, 0, 0) << false;
    QTest::newRow("off every screen")
        << QByteArray("NormalPos=-5000,-4000,-4400,-3600\n") << QRect() << false;
    QTest::newRow("larger than the screen")
        << QByteArray("NormalPos=0,0,9000,9000\n") << QRect() << false;
}

// Wherever it was stored, the window shows on the screen.
void StartWindowTest::placement()
{
    QFETCH(QByteArray, mainForm);
    QFETCH(QRect, normal);
    QFETCH(bool, maximized);
    const QRect firstRun = WindowRun(m_tree->path(QStringLiteral("first.ini"))).main().geometry();
    if (!mainForm.contains("PixelsPerInch"))
        mainForm += "PixelsPerInch=96\n";
    WindowRun run(m_tree->writeFile(QStringLiteral("s.ini"), "[MainForm]\n" + mainForm));
    QCOMPARE(run.main().isMaximized(), maximized);
    QVERIFY(availableArea().contains(run.main().frameGeometry()));
    if (!normal.isNull())
        QCOMPARE(run.main().normalGeometry(), normal.isEmpty() ? firstRun : normal);
}

void StartWindowTest::firstRunShowsEveryColumn_data()
{
    QTest::addColumn<int>("pointSize"); // 0: the system's
    QTest::newRow("system font") << 0;
    QTest::newRow("large font") << 14;
}

// Rows of the usual content (a full date and time, a size in KO, the longest statuses) show
// whole, and the window is as wide as the list or as the screen allows.
void StartWindowTest::firstRunShowsEveryColumn()
{
    QFETCH(int, pointSize);
    const QFont systemFont = QApplication::font();
    QFont font = systemFont;
    if (pointSize > 0)
        font.setPointSize(pointSize);
    QApplication::setFont(font);
    const QDateTime late(QDate(2026, 12, 28), QTime(23, 58, 57));
    m_tree->writeFile(QStringLiteral("src/photo.jpeg"), QByteArray(1047000, 'x'), late);
    m_tree->writeFile(QStringLiteral("src/page.html"), "old", late.addDays(-1));
    m_tree->writeFile(QStringLiteral("dst/page.html"), "new", late);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QApplication::setFont(systemFont);
    QVERIFY(run.main().projects().ProjectLoad(project(QStringLiteral("p.tdm"))));
    FileListView *view = run.main().fileListView();
    view->selectRow(1);
    run.main().UpdateCommandStates();
    run.trigger(Command::ActProjectFilesInvertSrcAndDest);
    QCOMPARE(run.main().comparison().fileList().row(1).field(fldStatusText).toString(),
             QStringLiteral("A copier (Dest > Source)"));
    for (int column = 0; column < kFileFieldCount; ++column)
        QVERIFY(static_cast<QAbstractItemView *>(view)->sizeHintForColumn(column) <=
                view->columnWidth(column));
    const QRect area = availableArea();
    QVERIFY(area.contains(run.main().frameGeometry()));
    QVERIFY(view->viewport()->width() >= view->horizontalHeader()->length() ||
            run.main().frameGeometry().width() >= area.width() - 8);
}

void StartWindowTest::frenchWithoutRegionalSettings()
{
    const QLocale system;
    QLocale::setDefault(platform::regionalLocale(QLocale::c()));
    const double value = QDate(1899, 12, 30).daysTo(QDate(2026, 12, 9)) + 67392.0 / 86400;
    QCOMPARE(dateTimeText(value, QLocale()), QStringLiteral("09/12/2026 18:43:12"));
    QCOMPARE(SizeText(1536, false), QStringLiteral("1,50 KO "));
    QLocale::setDefault(system);
}

TANDRIMO_TEST(StartWindowTest)
#include "tst_startwindow.moc"
