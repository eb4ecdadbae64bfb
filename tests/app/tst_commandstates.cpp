#include "compare/rowedits.h"
#include "compare/statuscode.h"
#include "filelist/filelistview.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace {

QStringList enabledCommands(TfmMain &main)
{
    QStringList names;
    for (QAction *action : main.findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (action->objectName().startsWith(u"Act") && action->isEnabled())
            names.append(action->objectName());
    }
    names.sort();
    return names;
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

// Commands that stay enabled whatever the state (those whose operation exists).
const QStringList kAlways{"ActProjectSaveAs",         "ActAppOptions",
                          "ActProjectFilesSelectAll", "ActProjectFilesDeselectAll",
                          "ActAppHelpReadme",         "ActHelpAbout"};

} // namespace

class CommandStatesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_tree = std::make_unique<TestTree>(); }
    void newProjectIdle();
    void rowsSelectedAndDue();
    void busy();
    void rowsWithNothingToCopy();
    void selectionCommandsFollowTheSelection();
    void clickOfAnyButtonSelectsAndEnables_data();
    void clickOfAnyButtonSelectsAndEnables();
    void deleteCaption_data();
    void deleteCaption();
    void summaryTexts_data();
    void summaryTexts();
    void stopDuringARefresh();
    void exclusionPassFollowsTheListsWhateverWasStopped();
    void editedFolderStopsWhatActsOnFiles_data();
    void editedFolderStopsWhatActsOnFiles();
    void folderLabelsNameTheVolume_data();
    void folderLabelsNameTheVolume();

private:
    // A project over a source with three files, one already up to date in the destination.
    QString projectWithRows();
    std::unique_ptr<TestTree> m_tree;
};

QString CommandStatesTest::projectWithRows()
{
    const QDateTime when(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
    m_tree->writeFile(QStringLiteral("src/a.txt"), "a", when);
    m_tree->writeFile(QStringLiteral("src/b.txt"), "b", when);
    m_tree->writeFile(QStringLiteral("src/c.txt"), "c", when);
    m_tree->writeFile(QStringLiteral("dst/c.txt"), "c", when);
    return m_tree->writeFile(
        QStringLiteral("p.tdm"),
        "[Directories]\nSrcRelPath=" + m_tree->path(QStringLiteral("src")).toUtf8() +
            "\nDestRelPath=" + m_tree->path(QStringLiteral("dst")).toUtf8() +
            "\nPathRecursive=0\n");
}

void CommandStatesTest::newProjectIdle()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QCOMPARE(enabledCommands(run.main()),
             sorted(kAlways +
                    QStringList{"ActProjectNew", "ActProjectOpen", "ActProjectSave", "ActAppClose",
                                "ActProjectExtToExclude", "ActProjectFilesToExclude",
                                "ActProjectExtToExcludeDelete", "ActProjectFileToExcludeDelete",
                                "ActWinNetworkConnect", "ActWinNetworkDisconnect",
                                "ActWinFileSearch", "ActWinFormatFloppy"}));
    QVERIFY(run.field("edDirSrc")->isEnabled());
}

void CommandStatesTest::rowsSelectedAndDue()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(projectWithRows()));
    QCOMPARE(run.main().comparison().fileList().count(), 3);
    QCOMPARE(run.main().comparison().filesToCopyCount(), 2);
    run.trigger(Command::ActProjectFilesSelectAll);
    const QStringList enabled = enabledCommands(run.main());
    QVERIFY(!enabled.contains(QStringLiteral("ActAppStop")));
    for (const char *name : {"ActProjectFileToCopyRefresh", "ActProjectNew", "ActAppClose"})
        QVERIFY2(enabled.contains(QLatin1String(name)), name);
    for (const char *name :
         {"ActCut", "ActCopy", "ActPaste", "ActHelpIndex", "ActAppMakeDirectory"})
        QVERIFY2(!enabled.contains(QLatin1String(name)), name);
    QVERIFY(run.main().findChild<QMenu *>(QStringLiteral("mnuFileDelete"))->isEnabled());
    QVERIFY(run.main().findChild<QMenu *>(QStringLiteral("mnu2FileDelete"))->isEnabled());
}

void CommandStatesTest::busy()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(projectWithRows()));
    run.trigger(Command::ActProjectFilesSelectAll);
    run.main().comparison().beginCopyRun();
    run.main().UpdateCommandStates();
    QCOMPARE(enabledCommands(run.main()), sorted(kAlways + QStringList{"ActAppStop"}));
    for (const char *name : {"edDirSrc", "edDirDest"})
        QVERIFY(!run.field(name)->isEnabled());
    QVERIFY(!run.main().findChild<QCheckBox *>(QStringLiteral("cbPathRecursive"))->isEnabled());
    QVERIFY(!run.main().findChild<QWidget *>(QStringLiteral("urlExtToExclude"))->isEnabled());
    QVERIFY(!run.main().findChild<QMenu *>(QStringLiteral("mnuFileDelete"))->isEnabled());

    // Stop disables itself at once.
    run.trigger(Command::ActAppStop);
    QVERIFY(!run.action(Command::ActAppStop)->isEnabled());
    QVERIFY(run.main().comparison().StopRequested);
}

void CommandStatesTest::rowsWithNothingToCopy()
{
    const QDateTime when(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
    m_tree->writeFile(QStringLiteral("src/a.txt"), "a", when);
    m_tree->writeFile(QStringLiteral("dst/a.txt"), "a", when);
    const QString project = m_tree->writeFile(
        QStringLiteral("p.tdm"),
        "[Directories]\nSrcRelPath=" + m_tree->path(QStringLiteral("src")).toUtf8() +
            "\nDestRelPath=" + m_tree->path(QStringLiteral("dst")).toUtf8() +
            "\nPathRecursive=0\n");
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project));
    QCOMPARE(run.main().comparison().filesToCopyCount(), 0);
    QVERIFY(!run.action(Command::ActAppCopyFiles)->isEnabled());
    QVERIFY(run.action(Command::ActProjectFileToCopyRefresh)->isEnabled());
}

void CommandStatesTest::selectionCommandsFollowTheSelection()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(projectWithRows()));
    QMenu *deleteMenu = run.main().findChild<QMenu *>(QStringLiteral("mnuFileDelete"));
    QVERIFY(!deleteMenu->isEnabled());
    FileListView *view = run.main().fileListView();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(1, 1)).center());
    QCOMPARE(view->selectedRows(), QList<int>{1});
    QVERIFY(deleteMenu->isEnabled());
    run.trigger(Command::ActProjectFilesDeselectAll);
    QVERIFY(!deleteMenu->isEnabled());
    QCOMPARE(view->selectedCount(), 0);
}

void CommandStatesTest::clickOfAnyButtonSelectsAndEnables_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("allSelected"); // before the click
    QTest::newRow("right, nothing selected") << int(Qt::RightButton) << false;
    QTest::newRow("right, on the selection") << int(Qt::RightButton) << true;
    QTest::newRow("middle, nothing selected") << int(Qt::MiddleButton) << false;
}

// The press selects the row under it (a right one keeps the selection it falls on), and the
// commands on the selection follow before the pop-up menu opens, which it does on the press.
void CommandStatesTest::clickOfAnyButtonSelectsAndEnables()
{
    QFETCH(int, button);
    QFETCH(bool, allSelected);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(projectWithRows()));
    if (allSelected)
        run.trigger(Command::ActProjectFilesSelectAll);
    FileListView *view = run.main().fileListView();
    QWidget *rows = view->viewport();
    const QPoint at = view->visualRect(view->model()->index(1, 1)).center();
    QTest::mousePress(rows, Qt::MouseButton(button), {}, at);
    auto *popup = run.main().findChild<QMenu *>(QStringLiteral("PopupMenu1"));
    if (button == Qt::RightButton) {
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, rows->mapToGlobal(at));
        QApplication::sendEvent(rows, &menuEvent);
        QVERIFY(popup->isVisible());
    }
    for (const Command command : {Command::ActProjectFilesToCopyAdd, Command::ActAppFileSetDateTime,
                                  Command::ActFileDelete}) {
        QVERIFY(popup->actions().contains(run.action(command)));
        QVERIFY(run.action(command)->isEnabled());
    }
    popup->hide();
    QTest::mouseRelease(rows, Qt::MouseButton(button), {}, at);
    QCOMPARE(view->selectedRows(), allSelected ? QList<int>({0, 1, 2}) : QList<int>({1}));
}

void CommandStatesTest::deleteCaption_data()
{
    QTest::addColumn<bool>("src");
    QTest::addColumn<bool>("dest");
    QTest::addColumn<bool>("trash");
    QTest::addColumn<QString>("caption");

    QTest::newRow("defaults") << false << true << true
                              << "Supprimer [Dans poubelle] fichiers sélectionnés [Destination]";
    QTest::newRow("both, for good")
        << true << true << false
        << "Supprimer [Définitif] fichiers sélectionnés [Source] [Destination]";
    QTest::newRow("source to the bin")
        << true << false << true << "Supprimer [Dans poubelle] fichiers sélectionnés [Source]";
    QTest::newRow("neither") << false << false << false
                             << "Supprimer [Définitif] fichiers sélectionnés";
}

void CommandStatesTest::deleteCaption()
{
    QFETCH(bool, src);
    QFETCH(bool, dest);
    QFETCH(bool, trash);
    QFETCH(QString, caption);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    UserPrefs &prefs = run.main().userPrefs();
    prefs.FileDeleteSrc = src;
    prefs.FileDeleteDest = dest;
    prefs.FileDeleteSendToTrash = trash;
    run.main().UpdateCommandStates();
    QCOMPARE(run.action(Command::ActFileDelete)->text(), caption);
    QCOMPARE(run.action(Command::ActFileDelete)->toolTip(), caption);
}

void CommandStatesTest::summaryTexts_data()
{
    QTest::addColumn<int>("due");
    QTest::addColumn<bool>("edited"); // the destination field edited since the listing
    QTest::addColumn<QString>("summary");

    QTest::newRow("none") << 0 << false << "Aucun fichier à copier / 3";
    QTest::newRow("one") << 1 << false << "1 fichier à copier / 3";
    QTest::newRow("several") << 2 << false << "2 fichiers à copier / 3";
    QTest::newRow("folder edited") << 2 << true << "Liste des fichiers à copier non raffraichie";
}

void CommandStatesTest::summaryTexts()
{
    QFETCH(int, due);
    QFETCH(bool, edited);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QCOMPARE(run.main().statusText(2), QStringLiteral("Aucun fichier à copier / 0"));
    QVERIFY(run.main().projects().ProjectLoad(projectWithRows()));
    QList<int> heldBack; // of the two rows due, /a.txt and /b.txt, all but `due`
    for (int row = due; row < 2; ++row)
        heldBack << row;
    run.main().comparison().editRows(removeFromCopy, heldBack);
    if (edited)
        run.typeInto("edDirDest", m_tree->path(QStringLiteral("src")));
    run.main().ShowSummary();
    QTEST(run.main().statusText(2), "summary");
    QVERIFY2(run.main().statusText(1).endsWith(u" libres"), qPrintable(run.main().statusText(1)));
}

void CommandStatesTest::stopDuringARefresh()
{
    for (int i = 0; i < 40; ++i)
        m_tree->writeFile(QStringLiteral("src/d%1/f.txt").arg(i), "x");
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(projectWithRows()));
    run.main().findChild<QCheckBox *>(QStringLiteral("cbPathRecursive"))->click();
    QCOMPARE(run.main().comparison().fileList().count(), 43);

    // The refresh lets input through at its first status message: its clock says the interval
    // has passed at every reading.
    run.main().comparison().setInputClock(
        [now = qint64(0)]() mutable { return now += Comparison::kInputIntervalMs; });
    bool stopWasEnabled = false;
    QTimer::singleShot(0, &run.main(), [&run, &stopWasEnabled] {
        stopWasEnabled = run.action(Command::ActAppStop)->isEnabled();
        run.trigger(Command::ActAppStop);
    });
    run.trigger(Command::ActProjectFileToCopyRefresh);
    QVERIFY(stopWasEnabled);
    const FileList &rows = run.main().comparison().fileList();
    QVERIFY(rows.count() < 43);
    for (int i = 0; i < rows.count(); ++i)
        QVERIFY(!rows.row(i).classified);
    QCOMPARE(run.main().comparison().filesToCopyCount(), 0);
    QCOMPARE(run.main().statusText(2),
             QStringLiteral("Liste des fichiers à copier non raffraichie"));
    QVERIFY(!run.action(Command::ActAppStop)->isEnabled());
    QVERIFY(!run.action(Command::ActAppCopyFiles)->isEnabled());
}

// A pass started by an exclusion runs without Stop, which it would not heed: after a Stop (the
// flag stays set) the rows still follow every change of the lists.
void CommandStatesTest::exclusionPassFollowsTheListsWhateverWasStopped()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(projectWithRows()));
    run.main().comparison().StopRequested = true;
    run.trigger(Command::ActProjectFilesSelectAll);
    run.trigger(Command::ActProjectExtToExcludeAdd);
    const FileList &rows = run.main().comparison().fileList();
    QCOMPARE(rows.row(0).statusText, QStringLiteral("Exclu"));
    QCOMPARE(rows.row(1).statusText, QStringLiteral("Exclu"));
    QCOMPARE(run.main().statusText(2), QStringLiteral("Aucun fichier à copier / 3"));
    QVERIFY(!run.action(Command::ActAppStop)->isEnabled());
    QVERIFY(!run.main().comparison().stoppable());
}

void CommandStatesTest::editedFolderStopsWhatActsOnFiles_data()
{
    QTest::addColumn<QString>("field");
    QTest::newRow("source") << "edDirSrc";
    QTest::newRow("destination") << "edDirDest";
}

// The list belongs to the folders it was built from: once a field names another, even typed
// back to the same text, nothing acts on its files and the list reads as not refreshed, until a
// refresh.
void CommandStatesTest::editedFolderStopsWhatActsOnFiles()
{
    QFETCH(QString, field);
    const QByteArray name = field.toLatin1();
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(projectWithRows()));
    m_tree->makeFolder(QStringLiteral("other"));
    run.trigger(Command::ActProjectFilesSelectAll);
    const QStringList onFiles{
        "ActAppCopyFiles", "ActProjectFilesToCopyAdd", "ActProjectFileToExcludeAdd",
        "ActFileDelete",   "ActFileDeleteDestFull",    "ActAppFileSetDateTime"};
    const auto enabledOnFiles = [&] {
        QStringList enabled = enabledCommands(run.main());
        enabled.removeIf([&](const QString &command) { return !onFiles.contains(command); });
        return enabled.size();
    };
    QCOMPARE(enabledOnFiles(), onFiles.size());
    const QString listed = run.field(name)->text();

    run.typeInto(name, m_tree->path(QStringLiteral("other")));
    QCOMPARE(enabledOnFiles(), 0);
    QCOMPARE(run.main().statusText(2), Comparison::notRefreshedText());
    run.typeInto(name, listed);
    QCOMPARE(enabledOnFiles(), 0);
    run.trigger(Command::ActAppCopyFiles);
    QVERIFY(!run.main().copyRunThread()->isRunning());
    QVERIFY(!QFile::exists(m_tree->path(QStringLiteral("dst/a.txt"))));

    QTest::keyClick(run.field(name), Qt::Key_Return);
    run.trigger(Command::ActProjectFilesSelectAll);
    QCOMPARE(enabledOnFiles(), onFiles.size());
    QCOMPARE(run.main().statusText(2), QStringLiteral("2 fichiers à copier / 3"));
}

void CommandStatesTest::folderLabelsNameTheVolume_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("exists");

    QTest::newRow("existing folder") << "<tree>" << true;
    QTest::newRow("missing folder") << "<tree>/missing/deeper" << true;
    QTest::newRow("no path") << "abc" << false;
}

void CommandStatesTest::folderLabelsNameTheVolume()
{
    QFETCH(QString, folder);
    QFETCH(bool, exists);
    folder.replace(QStringLiteral("<tree>"), m_tree->root());
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    run.typeInto("edDirSrc", folder);
    // The volume may answer after the keystroke, as the window never waits long for it.
    if (!exists)
        QTRY_COMPARE(run.label("edDirSrcLabel1"),
                     QStringLiteral("Répertoire Source (volume \"\", <not exists>)"));
    const QString label = run.label("edDirSrcLabel1");
    QVERIFY2(label.startsWith(u"Répertoire Source (volume \""), qPrintable(label));
    QCOMPARE(label.endsWith(u", <not exists>)"), !exists);
}

TANDRIMO_TEST(CommandStatesTest)
#include "tst_commandstates.moc"
