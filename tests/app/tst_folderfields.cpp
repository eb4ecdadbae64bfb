#include "app/folderfields.h"
#include "app/recentprojects.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSemaphore>

#include <atomic>

namespace {

// A folder on a file system other than the temporary folder's.
const QString kOtherDisk = QStringLiteral("/proc/sys");

QString caption(const QString &side, const QString &folder)
{
    const VolumeInfo volume = QueryVolume(folder);
    return QStringLiteral("Répertoire %1 (volume \"%2\", %3)")
        .arg(side, volume.VolumeLabel, MediaTypeName(volume.MediaType));
}

bool isRed(const QLineEdit *field)
{
    return field->palette().color(QPalette::Base) == QColor(Qt::red);
}

} // namespace

class FolderFieldsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_tree = std::make_unique<TestTree>(); }
    void keysInAField_data();
    void keysInAField();
    void keysThatTypeNothing_data();
    void keysThatTypeNothing();
    void fieldsShowEachProject_data();
    void fieldsShowEachProject();
    void browseAndSwap_data();
    void browseAndSwap();
    void monitorFollowsFileSpy_data();
    void monitorFollowsFileSpy();
    void slowFolderGivesWay();

private:
    QString tree(QString text) const { return text.replace("<tree>", m_tree->root()); }
    std::unique_ptr<TestTree> m_tree;
};

void FolderFieldsTest::keysInAField_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("warnings");

    QTest::newRow("existing folder typed") << QByteArray("edDirSrc") << "<tree>" << 0 << true << 0;
    QTest::newRow("missing folder typed")
        << QByteArray("edDirDest") << "<tree>/x" << 0 << false << 0;
    QTest::newRow("arrow key alone")
        << QByteArray("edDirSrc") << "" << int(Qt::Key_Left) << true << 0;
    QTest::newRow("Enter on a missing folder")
        << QByteArray("edDirSrc") << "<tree>/x" << int(Qt::Key_Return) << false << 1;
}

void FolderFieldsTest::keysInAField()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(bool, exists);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QLineEdit *field = run.field(name.constData());
    QVERIFY(!run.project().Modified);
    if (!typed.isEmpty())
        run.typeInto(name.constData(), tree(typed));
    if (key != 0)
        QTest::keyClick(field, Qt::Key(key));
    const bool source = name == "edDirSrc";
    QCOMPARE(source ? run.project().SrcPath : run.project().DestPath,
             typed.isEmpty() ? QStringLiteral("/") : tree(typed));
    QTRY_COMPARE(run.label(QByteArray(name + "Label1").constData()),
                 caption(source ? "Source" : "Destination", field->text()));
    QTRY_COMPARE(isRed(field), !exists);
    QVERIFY(run.project().Modified);
    QFETCH(int, warnings);
    QCOMPARE(run.dialogs.boxes().size(), warnings);
    if (warnings > 0)
        QCOMPARE(run.dialogs.boxes().first().kind, BoxKind::Warning);
}

void FolderFieldsTest::keysThatTypeNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("modified");

    QTest::newRow("Ctrl alone") << int(Qt::Key_Control) << 0 << false;
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << 0 << false;
    QTest::newRow("Alt alone") << int(Qt::Key_Alt) << 0 << false;
    QTest::newRow("Meta alone") << int(Qt::Key_Meta) << 0 << false;
    QTest::newRow("AltGr alone") << int(Qt::Key_AltGr) << 0 << false;
    QTest::newRow("Ctrl+O opens") << int(Qt::Key_O) << int(Qt::ControlModifier) << false;
    QTest::newRow("Ctrl+J, no command") << int(Qt::Key_J) << int(Qt::ControlModifier) << false;
    QTest::newRow("Ctrl+Left, the field's word move")
        << int(Qt::Key_Left) << int(Qt::ControlModifier) << true;
    QTest::newRow("arrow key") << int(Qt::Key_Right) << 0 << true;
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << true;
}

// The focus starts in the source field: a key that types nothing there leaves the project as it
// was, so that Ctrl+O right after start-up offers the open dialog without the save question.
void FolderFieldsTest::keysThatTypeNothing()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QLineEdit *field = run.field("edDirSrc");
    field->setFocus();
    // The window's shortcuts answer while it is the active window.
    run.main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&run.main()));
    run.dialogs.chooseFile(QString()); // the open dialog, when offered, is cancelled
    // With its text given, as Qt Test spells no text for AltGr.
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key(key), key == Qt::Key_A ? "a" : "",
                        Qt::KeyboardModifiers(modifiers));
    QTEST(run.project().Modified, "modified");
    QCOMPARE(run.dialogs.boxes().size(), 0);
    QCOMPARE(run.dialogs.fileDialogs(), key == Qt::Key_O ? 1 : 0);
}

void FolderFieldsTest::fieldsShowEachProject_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("dest");
    // "there": <tree>/src and <tree>/dst; "missing": <tree>/gone and a folder on another disk.
    QTest::newRow("missing source opened after an existing one")
        << QStringList{"there", "missing"} << "<tree>/gone" << kOtherDisk;
    QTest::newRow("new after a missing source") << QStringList{"missing", "new"} << "/"
                                                << "/";
    QTest::newRow("missing source from the recent list")
        << QStringList{"missing", "there", "recent missing"} << "<tree>/gone" << kOtherDisk;
}

// Whatever project the fields come to hold, their colours and labels are those of its folders,
// and showing them modifies nothing.
void FolderFieldsTest::fieldsShowEachProject()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, src);
    QFETCH(QString, dest);
    if (caption("Destination", kOtherDisk) == caption("Destination", m_tree->root()))
        QSKIP("the temporary folder lies on the same file system as /proc");
    m_tree->writeFile(QStringLiteral("src/a.txt"), "a");
    m_tree->makeFolder(QStringLiteral("dst"));
    const auto project = [this](const QString &name, const QString &from, const QString &to) {
        m_tree->writeFile(name + u".tdm", "[Directories]\nSrcRelPath=" + tree(from).toUtf8() +
                                              "\nDestRelPath=" + tree(to).toUtf8() +
                                              "\nPathRecursive=0\n");
    };
    project("there", "<tree>/src", "<tree>/dst");
    project("missing", "<tree>/gone", kOtherDisk);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    RecentProjects &recent = run.main().recentProjects();
    for (const QString &step : std::as_const(steps)) {
        const QString path = m_tree->path(step.section(u' ', -1) + u".tdm");
        if (step == u"new") {
            run.trigger(Command::ActProjectNew);
        } else if (step.startsWith(u"recent")) {
            recent.entries().at(recent.Items().indexOf(path))->trigger();
        } else {
            run.dialogs.chooseFile(path);
            run.trigger(Command::ActProjectOpen);
        }
    }
    QTRY_COMPARE(run.label("edDirSrcLabel1"), caption("Source", tree(src)));
    QTRY_COMPARE(run.label("edDirDestLabel1"), caption("Destination", tree(dest)));
    QCOMPARE(isRed(run.field("edDirSrc")), !QFileInfo(tree(src)).isDir());
    QVERIFY(!isRed(run.field("edDirDest")));
    QVERIFY(!run.project().Modified);
}

void FolderFieldsTest::browseAndSwap_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("dest");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("start");

    QTest::newRow("browse cancelled") << QStringList{"src"} << QStringList{""} << "<tree>/src"
                                      << "<tree>/dst" << 0 << "Répertoire Source..."
                                      << "<tree>/src";
    QTest::newRow("source chosen")
        << QStringList{"src"} << QStringList{"<tree>/src2"} << "<tree>/src2"
        << "<tree>/dst" << 2 << "Répertoire Source..."
        << "<tree>/src";
    QTest::newRow("destination by double click")
        << QStringList{"dest"} << QStringList{"<tree>/src2"} << "<tree>/src"
        << "<tree>/src2" << 1 << "Répertoire Destination..."
        << "<tree>/dst";
    QTest::newRow("missing folder opens where the last use left")
        << QStringList{"src", "rmdir", "dest"} << QStringList{"", ""} << "<tree>/src"
        << "<tree>/dst" << 0 << "Répertoire Destination..."
        << "<tree>/src";
    QTest::newRow("swap") << QStringList{"swap"} << QStringList{} << "<tree>/dst"
                          << "<tree>/src" << 1 << ""
                          << "";
}

void FolderFieldsTest::browseAndSwap()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, chosen);
    QFETCH(int, rows);
    m_tree->writeFile(QStringLiteral("src/a.txt"), "a");
    m_tree->writeFile(QStringLiteral("src2/x.txt"), "x");
    m_tree->writeFile(QStringLiteral("src2/y.txt"), "y");
    m_tree->writeFile(QStringLiteral("dst/b.txt"), "b");
    const QString project = m_tree->writeFile(
        QStringLiteral("p.tdm"), "[Directories]\nSrcRelPath=" + tree("<tree>/src").toUtf8() +
                                     "\nDestRelPath=" + tree("<tree>/dst").toUtf8() + "\n");
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project));
    for (const QString &path : std::as_const(chosen))
        run.dialogs.chooseFile(tree(path));
    for (const char *name : {"edDirSrcLabel1", "edDirDestLabel1"})
        run.main().findChild<QLabel *>(QLatin1String(name))->clear();
    run.main().comparison().fileList().clear(); // refilled by a refresh only

    for (const QString &step : std::as_const(steps)) {
        if (step == u"src")
            run.main().findChild<QAction *>(QStringLiteral("edDirSrcButton"))->trigger();
        else if (step == u"dest")
            QTest::mouseDClick(run.field("edDirDest"), Qt::LeftButton);
        else if (step == u"rmdir")
            QVERIFY(QDir(tree("<tree>/dst")).removeRecursively());
        else
            run.trigger(Command::ActProjectDirInvertSrcAndDest);
    }
    QVERIFY(run.dialogs.scriptDone());
    QFETCH(QString, src);
    QFETCH(QString, dest);
    QFETCH(QString, title);
    QFETCH(QString, start);
    QCOMPARE(run.field("edDirSrc")->text(), tree(src));
    QCOMPARE(run.field("edDirDest")->text(), tree(dest));
    QCOMPARE(run.project().SrcPath, run.field("edDirSrc")->text());
    QCOMPARE(run.project().DestPath, run.field("edDirDest")->text());
    QCOMPARE(run.main().comparison().fileList().count(), rows);
    QCOMPARE(run.dialogs.lastTitle, title);
    QCOMPARE(run.dialogs.lastFolder, tree(start));
    const bool changed = !chosen.contains(QString());
    QCOMPARE(run.project().Modified, changed);
    QTRY_COMPARE(run.label("edDirSrcLabel1"),
                 changed ? caption("Source", run.project().SrcPath) : QString());
    QTRY_COMPARE(run.label("edDirDestLabel1"),
                 changed ? caption("Destination", run.project().DestPath) : QString());
}

void FolderFieldsTest::monitorFollowsFileSpy_data()
{
    QTest::addColumn<bool>("fileSpy");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("watched");

    QTest::newRow("at start-up") << true << "" << QStringList{"/"};
    QTest::newRow("re-pointed when applied") << true << "<tree>" << QStringList{"<tree>"};
    QTest::newRow("FileSpy off") << false << "<tree>" << QStringList{};
}

void FolderFieldsTest::monitorFollowsFileSpy()
{
    QFETCH(bool, fileSpy);
    QFETCH(QString, typed);
    QFETCH(QStringList, watched);
    const QString ini = m_tree->writeFile(
        QStringLiteral("s.ini"), fileSpy ? "[Files]\nFileSpy=1\n" : "[Files]\nFileSpy=0\n");
    WindowRun run(ini);
    if (!typed.isEmpty()) {
        run.typeInto("edDirSrc", tree(typed));
        run.main().settings().ApplyUserPrefs();
    }
    for (QString &path : watched)
        path = tree(path);
    QCOMPARE(run.main().findChild<QFileSystemWatcher *>()->directories(), watched);
}

void FolderFieldsTest::slowFolderGivesWay()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    const auto gate = std::make_shared<QSemaphore>();
    const auto questions = std::make_shared<std::atomic<int>>(0);
    run.main().findChild<FolderFields *>()->setFolderQuestion(
        [gate, questions](const QString &path) {
            ++*questions;
            gate->tryAcquire(1, 10000);
            return folderFactsOf(path);
        });
    const QString typed = tree("<tree>/x");
    run.typeInto("edDirSrc", typed);
    QCOMPARE(run.label("edDirSrcLabel1"),
             QStringLiteral("Répertoire Source (volume \"\", <unknown>)"));
    QVERIFY(!isRed(run.field("edDirSrc")));
    // One question in flight, however many keys were typed meanwhile.
    QCOMPARE(questions->load(), 1);

    gate->release(10);
    QTRY_COMPARE(run.label("edDirSrcLabel1"), caption("Source", typed));
    QVERIFY(isRed(run.field("edDirSrc")));
    // The folder first asked, then the text the field holds now.
    QCOMPARE(questions->load(), 2);
}

TANDRIMO_TEST(FolderFieldsTest)
#include "tst_folderfields.moc"
