#include "compare/statuscode.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

const QString kRoot = QStringLiteral("/");
// A destination outside the test tree; the root would make each refresh ask about it.
const QString kDest = QStringLiteral("/usr");

using Run = WindowRun;

} // namespace

class ProjectCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void startsWithANewProject();
    void modifiedFollowsItsEvents_data();
    void modifiedFollowsItsEvents();
    void saveGoesThroughTheDialogForANewProject();
    void saveWritesTheExistingFileSilently();
    void saveOfADeletedFileAsksForAName();
    void failedSaveChangesNothing();
    void opensAProject();
    void refusesPathsThatAreNoProject_data();
    void refusesPathsThatAreNoProject();
    void opensADamagedFileWithAWarning();
    void newAfterARecursiveProjectSavesItOff();
    void savePrompt_data();
    void savePrompt();
    void savePromptWithCancelledSaveDialogGoesOn();

private:
    QString writeProject(const QString &name, const QString &src, const QString &dest,
                         bool recursive, const QByteArray &more = QByteArray());
    std::unique_ptr<TestTree> m_tree;
};

void ProjectCommandsTest::init()
{
    m_tree = std::make_unique<TestTree>();
}

QString ProjectCommandsTest::writeProject(const QString &name, const QString &src,
                                          const QString &dest, bool recursive,
                                          const QByteArray &more)
{
    return m_tree->writeFile(name, "[Directories]\nSrcRelPath=" + src.toUtf8() +
                                       "\nDestRelPath=" + dest.toUtf8() +
                                       "\nPathRecursive=" + (recursive ? "1" : "0") + "\n" + more);
}

void ProjectCommandsTest::startsWithANewProject()
{
    Run run(m_tree->path(QStringLiteral("s.ini")));
    QCOMPARE(run.main().windowTitle(), QStringLiteral("Tandrimo - []"));
    QCOMPARE(run.field("edDirSrc")->text(), kRoot);
    QCOMPARE(run.field("edDirDest")->text(), kRoot);
    QVERIFY(!run.project().Modified);
    QVERIFY(run.project().FileName.isEmpty());
    QCOMPARE(run.label("urlExtToExclude"), QStringLiteral("Aucune"));
    QCOMPARE(run.label("urlFilesToExclude"), QStringLiteral("Aucun"));
    QCOMPARE(run.dialogs.boxes().size(), 0);
}

void ProjectCommandsTest::modifiedFollowsItsEvents_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("modified");

    QTest::newRow("typing a source folder") << "typeSrc" << true;
    QTest::newRow("typing a destination folder") << "typeDest" << true;
    QTest::newRow("clicking sub-folders") << "clickRecursive" << true;
    QTest::newRow("adding an extension") << "addExt" << true;
    QTest::newRow("adding an extension already there") << "addExtAgain" << false;
    QTest::newRow("adding an empty extension") << "addEmptyExt" << false;
    QTest::newRow("adding a file") << "addFile" << true;
    QTest::newRow("removing an extension") << "removeExt" << true;
    QTest::newRow("removing at an invalid index") << "removeInvalid" << false;
    QTest::newRow("new project") << "new" << false;
    QTest::newRow("loading a project") << "load" << false;
    QTest::newRow("saving") << "save" << false;
}

void ProjectCommandsTest::modifiedFollowsItsEvents()
{
    QFETCH(QString, event);
    QFETCH(bool, modified);
    const QString project = writeProject(QStringLiteral("p.tdm"), m_tree->root(), kDest, false,
                                         "[ExtensionsToExclude]\n.tmp=#\n");
    Run run(m_tree->path(QStringLiteral("s.ini")));
    TfmMain &main = run.main();
    QVERIFY(main.projects().ProjectLoad(project));
    QVERIFY(!run.project().Modified);
    // Events that clear the flag start from a modified project.
    if (event == u"new" || event == u"load" || event == u"save")
        run.project().Modified = true;

    if (event == u"typeSrc")
        run.typeInto("edDirSrc", QStringLiteral("/tmp"));
    else if (event == u"typeDest")
        run.typeInto("edDirDest", QStringLiteral("/tmp"));
    else if (event == u"clickRecursive")
        main.findChild<QCheckBox *>(QStringLiteral("cbPathRecursive"))->click();
    else if (event == u"addExt")
        main.lists().ExtToExcludeAdd(QStringLiteral(".bak"));
    else if (event == u"addExtAgain")
        main.lists().ExtToExcludeAdd(QStringLiteral(".TMP"));
    else if (event == u"addEmptyExt")
        main.lists().ExtToExcludeAdd(QString());
    else if (event == u"addFile")
        main.lists().FileToExcludeAdd(QStringLiteral("/a.txt"));
    else if (event == u"removeExt")
        main.lists().ExtToExcludeDelete(0, true);
    else if (event == u"removeInvalid")
        main.lists().ExtToExcludeDelete(5, true);
    else if (event == u"new")
        main.projects().ProjectNew();
    else if (event == u"load")
        QVERIFY(main.projects().ProjectLoad(project));
    else if (event == u"save")
        main.projects().ProjectSaveTo(project);

    QCOMPARE(run.project().Modified, modified);
    if (event == u"clickRecursive")
        QVERIFY(run.project().PathRecursive);
    if (event == u"typeSrc")
        QCOMPARE(run.project().SrcPath, QStringLiteral("/tmp"));
}

void ProjectCommandsTest::saveGoesThroughTheDialogForANewProject()
{
    Run run(m_tree->path(QStringLiteral("s.ini")));
    const QString path = m_tree->path(QStringLiteral("nouveau.tdm"));
    run.typeInto("edDirDest", QStringLiteral("/mnt"));
    run.dialogs.chooseFile(path);
    run.trigger(Command::ActProjectSave);
    QCOMPARE(run.dialogs.fileDialogs(), 1);
    QCOMPARE(run.dialogs.lastFilter, QStringLiteral("Projet Tandrimo (*.tdm)"));
    QCOMPARE(run.dialogs.lastSuffix, QStringLiteral("tdm"));
    QCOMPARE(run.dialogs.lastFolder, run.main().settings().AppDir());
    QVERIFY(run.main().settings().AppDir().endsWith(u'/'));
    QCOMPARE(run.main().windowTitle(), QStringLiteral("Tandrimo - [nouveau.tdm]"));
    QCOMPARE(run.project().FileName, path);
    QVERIFY(!run.project().Modified);
    QCOMPARE(m_tree->read(QStringLiteral("nouveau.tdm")),
             QByteArray("[Directories]\nSrcRelPath=/\nDestRelPath=/mnt\nPathRecursive=0\n"));
}

void ProjectCommandsTest::saveWritesTheExistingFileSilently()
{
    const QString project =
        writeProject(QStringLiteral("p.tdm"), m_tree->root(), kDest, false, "[Foreign]\nx=1\n");
    Run run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project));
    run.main().lists().FileToExcludeAdd(QStringLiteral("/b.txt"));
    run.trigger(Command::ActProjectSave);
    QCOMPARE(run.dialogs.fileDialogs(), 0);
    QVERIFY(!run.project().Modified);
    const QByteArray saved = m_tree->read(QStringLiteral("p.tdm"));
    QVERIFY(saved.contains("[Foreign]\nx=1\n"));
    QVERIFY(saved.endsWith("[FilesToExclude]\n/b.txt=#\n"));
}

void ProjectCommandsTest::saveOfADeletedFileAsksForAName()
{
    const QString project = writeProject(QStringLiteral("p.tdm"), m_tree->root(), kDest, false);
    Run run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project));
    QVERIFY(QFile::remove(project));
    run.trigger(Command::ActProjectSave); // the dialog is cancelled
    QCOMPARE(run.dialogs.fileDialogs(), 1);
    QVERIFY(!QFile::exists(project));
}

void ProjectCommandsTest::failedSaveChangesNothing()
{
    const QByteArray before = "[Directories]\nSrcRelPath=" + m_tree->root().toUtf8() +
                              "\nDestRelPath=/usr\nPathRecursive=0\n";
    const QString project = m_tree->writeFile(QStringLiteral("ro.tdm"), before);
    Run run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project));
    QVERIFY(m_tree->setMode(QStringLiteral("ro.tdm"), 0444));
    run.main().lists().ExtToExcludeAdd(QStringLiteral(".log"));
    const QString title = run.main().windowTitle();
    run.dialogs.answer(BoxButton::Ok);
    run.trigger(Command::ActProjectSave);

    QCOMPARE(run.dialogs.boxes().size(), qsizetype(1));
    const ScriptedDialogs::Box &box = run.dialogs.boxes().first();
    QCOMPARE(box.kind, BoxKind::Error);
    QVERIFY2(box.text.contains(project), qPrintable(box.text));
    QVERIFY(run.project().Modified);
    QCOMPARE(run.project().FileName, project);
    QCOMPARE(run.main().windowTitle(), title);
    QCOMPARE(m_tree->read(QStringLiteral("ro.tdm")), before);
}

void ProjectCommandsTest::opensAProject()
{
    const QString project =
        writeProject(QStringLiteral("photos.tdm"), m_tree->root(), QStringLiteral("/nowhere"), true,
                     "[ExtensionsToExclude]\n.TMP=#\n.bak=#\n[FilesToExclude]\n/Thumbs.db=#\n");
    Run run(m_tree->path(QStringLiteral("s.ini")));
    run.dialogs.chooseFile(project);
    run.dialogs.answer(BoxButton::No); // the missing destination is not made
    run.trigger(Command::ActProjectOpen);
    QCOMPARE(run.main().windowTitle(), QStringLiteral("Tandrimo - [photos.tdm]"));
    QCOMPARE(run.field("edDirSrc")->text(), m_tree->root());
    QCOMPARE(run.field("edDirDest")->text(), QStringLiteral("/nowhere"));
    QVERIFY(run.main().findChild<QCheckBox *>(QStringLiteral("cbPathRecursive"))->isChecked());
    QCOMPARE(run.label("urlExtToExclude"), QStringLiteral(".tmp; .bak;"));
    QCOMPARE(run.label("urlFilesToExclude"), QStringLiteral("/Thumbs.db;"));
    QVERIFY(run.project().IsExtExcluded(QStringLiteral(".Tmp")));
    QVERIFY(!run.project().Modified);
    QCOMPARE(run.dialogs.lastFolder, run.main().settings().AppDir());

    // The destination is missing: the refresh offers to make it, then leaves its error row.
    const FileList &rows = run.main().comparison().fileList();
    QCOMPARE(rows.count(), 1);
    QCOMPARE(rows.row(0).statusCode, int(StatusError));
    QCOMPARE(rows.row(0).files, QStringLiteral("* Répertoire inaccessible : \"/nowhere\" *"));
    QCOMPARE(rows.row(0).statusText, QStringLiteral("Erreur"));
    QCOMPARE(run.dialogs.boxes().size(), qsizetype(1));
    QCOMPARE(run.dialogs.boxes().first().kind, BoxKind::Confirmation);
    QCOMPARE(run.dialogs.boxes().first().text,
             QStringLiteral("Le répertoire Destination \"/nowhere\" n'existe pas.\n"
                            "Souhaitez-vous le créer ?"));
    QCOMPARE(run.main().statusText(2),
             QStringLiteral("Liste des fichiers à copier non raffraichie"));
}

void ProjectCommandsTest::refusesPathsThatAreNoProject_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("boxKind");
    QTest::addColumn<QString>("text");

    QTest::newRow("missing") << "missing" << int(BoxKind::Information)
                             << "Le fichier \"absent.tdm\" ne peut pas être ouvert car il "
                                "n'existe pas.";
    QTest::newRow("folder") << "folder" << int(BoxKind::Information)
                            << "Le fichier \"dossier.tdm\" ne peut pas être ouvert car il "
                               "n'existe pas.";
    QTest::newRow("FIFO") << "fifo" << int(BoxKind::Error)
                          << "tube.tdm\" ne peut pas être ouvert : ce n'est pas un fichier "
                             "ordinaire.";
    QTest::newRow("too large") << "large" << int(BoxKind::Error)
                               << "large.tdm\" est trop volumineux pour être un projet Tandrimo "
                                  "(plus de 16 Mo).";
    QTest::newRow("long line") << "line" << int(BoxKind::Error)
                               << "line.tdm\" contient une ligne de plus de 64 Ko : ce n'est pas "
                                  "un projet Tandrimo.";
}

void ProjectCommandsTest::refusesPathsThatAreNoProject()
{
    QFETCH(QString, kind);
    QFETCH(int, boxKind);
    QFETCH(QString, text);
    const QString open = writeProject(QStringLiteral("open.tdm"), m_tree->root(), kDest, false);
    QString path;
    if (kind == u"missing") {
        path = m_tree->path(QStringLiteral("absent.tdm"));
    } else if (kind == u"folder") {
        path = m_tree->makeFolder(QStringLiteral("dossier.tdm"));
    } else if (kind == u"fifo") {
        path = m_tree->path(QStringLiteral("tube.tdm"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else if (kind == u"line") {
        path = m_tree->writeFile(QStringLiteral("line.tdm"), QByteArray(64 * 1024 + 1, 'x'));
    } else {
        path = m_tree->writeFile(QStringLiteral("large.tdm"), "[Directories]\n");
        QFile file(path);
        QVERIFY(file.resize(16 * 1024 * 1024 + 1));
    }
    // In this process: a child forked from it could inherit a lock held by one of its threads.
    // A FIFO opened to be read would wait for a writer, which CTest's time limit ends.
    Run run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(open));
    run.dialogs.answer(BoxButton::Ok);
    QVERIFY(!run.main().projects().ProjectLoad(path));
    QCOMPARE(run.project().FileName, open);
    QCOMPARE(run.project().SrcPath, m_tree->root());
    QCOMPARE(run.dialogs.boxes().size(), qsizetype(1));
    QCOMPARE(int(run.dialogs.boxes()[0].kind), boxKind);
    const QString seen = run.dialogs.boxes()[0].text;
    QVERIFY2(seen.endsWith(text), qPrintable(seen));
}

void ProjectCommandsTest::opensADamagedFileWithAWarning()
{
    const QString path =
        m_tree->writeFile(QStringLiteral("abîmé.tdm"),
                          "[Directories]\nDestRelPath=" + m_tree->root().toUtf8() + "\n\xff\xfe");
    Run run(m_tree->path(QStringLiteral("s.ini")));
    run.dialogs.chooseFile(path);
    run.dialogs.answer(BoxButton::Ok);
    run.dialogs.answer(BoxButton::Ok);
    run.trigger(Command::ActProjectOpen);
    QCOMPARE(run.project().FileName, path);
    QCOMPARE(run.field("edDirSrc")->text(), QString());
    QCOMPARE(run.field("edDirDest")->text(), m_tree->root());
    QVERIFY(run.dialogs.scriptDone());
    QCOMPARE(run.dialogs.boxes().size(), 2);
    QCOMPARE(run.dialogs.boxes()[0].kind, BoxKind::Warning);
    QCOMPARE(run.dialogs.boxes()[0].text,
             QStringLiteral("Le fichier \"%1\" est incomplet ou endommagé : il y manque "
                            "Directories/SrcRelPath, Directories/PathRecursive. Les répertoires "
                            "manquants restent vides. Les sous-répertoires ne sont pas inclus.")
                 .arg(path));
    // The refresh stops at the empty source instead of listing the root.
    QVERIFY(run.dialogs.boxes()[1].text.startsWith(
        QStringLiteral("Le répertoire \"\" est inaccessible.")));
    QCOMPARE(run.main().comparison().fileList().count(), 1);
}

void ProjectCommandsTest::newAfterARecursiveProjectSavesItOff()
{
    const QString project = writeProject(QStringLiteral("r.tdm"), m_tree->root(), kDest, true);
    Run run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project));
    run.trigger(Command::ActProjectNew);
    QCOMPARE(run.main().windowTitle(), QStringLiteral("Tandrimo - []"));
    run.dialogs.chooseFile(m_tree->path(QStringLiteral("copie.tdm")));
    run.trigger(Command::ActProjectSaveAs);
    QVERIFY(m_tree->read(QStringLiteral("copie.tdm")).contains("PathRecursive=0\n"));
}

void ProjectCommandsTest::savePrompt_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("wentOn");

    for (const char *command : {"ActProjectNew", "ActProjectOpen"}) {
        const QString name = QString::fromLatin1(command);
        QTest::addRow("%s, Oui", command) << name << int(BoxButton::Yes) << true << true;
        QTest::addRow("%s, Non", command) << name << int(BoxButton::No) << false << true;
        QTest::addRow("%s, Annuler", command) << name << int(BoxButton::Cancel) << false << false;
    }
}

void ProjectCommandsTest::savePrompt()
{
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(bool, saved);
    QFETCH(bool, wentOn);
    const QString project = writeProject(QStringLiteral("p.tdm"), m_tree->root(), kDest, false);
    const QString other = writeProject(QStringLiteral("o.tdm"),
                                       m_tree->makeFolder(QStringLiteral("o")), kDest, false);
    Run run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project));
    run.main().lists().ExtToExcludeAdd(QStringLiteral(".log"));

    run.dialogs.answer(BoxButton(answer));
    if (command == u"ActProjectOpen" && wentOn)
        run.dialogs.chooseFile(other);
    run.main().findChild<QAction *>(command)->trigger();

    QCOMPARE(run.dialogs.boxes().size(), qsizetype(1));
    const ScriptedDialogs::Box &box = run.dialogs.boxes().first();
    QCOMPARE(box.kind, BoxKind::Confirmation);
    QCOMPARE(box.text, QStringLiteral("Projet en cours modifié. Le sauvegarder ?"));
    QCOMPARE(box.buttons, BoxButtons({BoxButton::Yes, BoxButton::No, BoxButton::Cancel}));
    QCOMPARE(m_tree->read(QStringLiteral("p.tdm")).contains(".log=#"), saved);
    QVERIFY(run.dialogs.scriptDone());
    if (wentOn) {
        QCOMPARE(run.project().FileName, command == u"ActProjectNew" ? QString() : other);
        QVERIFY(!run.project().Modified);
    } else {
        QCOMPARE(run.project().FileName, project);
        QVERIFY(run.project().Modified);
        QCOMPARE(run.label("urlExtToExclude"), QStringLiteral(".log;"));
    }
}

void ProjectCommandsTest::savePromptWithCancelledSaveDialogGoesOn()
{
    Run run(m_tree->path(QStringLiteral("s.ini")));
    run.typeInto("edDirSrc", QStringLiteral("/perdu"));
    run.dialogs.answer(BoxButton::Yes); // then the save dialog is cancelled
    run.trigger(Command::ActProjectNew);
    QCOMPARE(run.dialogs.fileDialogs(), 1);
    QCOMPARE(run.project().SrcPath, kRoot);
    QVERIFY(!run.project().Modified);
}

TANDRIMO_TEST(ProjectCommandsTest)
#include "tst_projectcommands.moc"
