#include "app/qtdialogs.h"
#include "filelist/filelistview.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class DeletionCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void deletes_data();
    void deletes();
    void enterPressesTheDefaultButton();

private:
    std::unique_ptr<TestTree> m_tree;
    QPair<QByteArray, QByteArray> m_saved;
};

void DeletionCommandsTest::init()
{
    m_tree = std::make_unique<TestTree>();
    m_saved = {qgetenv("HOME"), qgetenv("XDG_DATA_HOME")};
    // The home trash, on the test tree's own volume.
    qputenv("HOME", QFile::encodeName(QDir::tempPath()));
}

void DeletionCommandsTest::cleanup()
{
    qputenv("HOME", m_saved.first);
    qputenv("XDG_DATA_HOME", m_saved.second);
}

// Four source files with up-to-date twins, the first two rows selected. Boxes: "?" a question
// with "&Oui" and "&Non", "&Non" the default; "!" a warning with "OK"; "%R" the test tree.
// Rows: after the refresh.
void DeletionCommandsTest::deletes_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("trashUsable");
    QTest::addColumn<QList<int>>("answers"); // 1: "&Oui", 0: "&Non"
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("caption"); // of the general command, afterwards
    const QStringList all{"/f0.txt A jour", "/f1.txt A jour", "/f2.txt A jour", "/f3.txt A jour"};
    const QString forGood = "? Supprimer définitivement 2 fichiers du répertoire source ?";
    const QString toTrash = "? Mettre 2 fichiers du répertoire source dans la poubelle ?";
    const QString refused = "? La poubelle ne peut pas recevoir 2 fichiers.\nSouhaitez-vous les "
                            "supprimer définitivement ?\n(Non : ils restent en place.)";
    const QString failed = "! Les 2 fichiers suivants n'ont pas pu être supprimés :\n%R/src/f0.txt "
                           ": accès refusé\n%R/src/f1.txt : accès refusé";
    const QString permanent = "Supprimer [Définitif] fichiers sélectionnés [Source]";
    const QString source = "Supprimer [Dans poubelle] fichiers sélectionnés [Source]";
    using enum Command;
    QTest::newRow("for good, Oui") << int(ActFileDeleteSrcFull) << true << QList<int>{1}
                                   << QStringList{forGood} << all.mid(2) << permanent;
    // "&Non" changes nothing, the general command's choice included.
    QTest::newRow("for good, Non keeps the files and the choice")
        << int(ActFileDeleteSrcFull) << true << QList<int>{0} << QStringList{forGood} << all
        << "Supprimer [Dans poubelle] fichiers sélectionnés [Destination]";
    QTest::newRow("trash unusable, Oui")
        << int(ActFileDeleteSrcInTrash) << false << QList<int>{1, 1}
        << QStringList{toTrash, refused} << all.mid(2) << source;
    QTest::newRow("trash unusable, Non: told which stayed")
        << int(ActFileDeleteSrcInTrash) << false << QList<int>{1, 0}
        << QStringList{toTrash, refused, failed} << all << source;
    QTest::newRow("general, trash unusable, Oui")
        << int(ActFileDelete) << false << QList<int>{1} << QStringList{refused}
        << QStringList{"/f0.txt A copier", "/f1.txt A copier"} + all.mid(2)
        << "Supprimer [Dans poubelle] fichiers sélectionnés [Destination]";
}

void DeletionCommandsTest::deletes()
{
    QFETCH(int, command);
    QFETCH(bool, trashUsable);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, rows);
    QFETCH(QString, caption);
    const QDateTime when(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
    for (const char *side : {"src", "dst"}) {
        for (int i = 0; i < 4; ++i)
            m_tree->writeFile(QString("%1/f%2.txt").arg(side).arg(i), "x", when);
    }
    const QString project = m_tree->writeFile(
        "p.tdm", "[Directories]\nSrcRelPath=" + m_tree->path("src").toUtf8() +
                     "\nDestRelPath=" + m_tree->path("dst").toUtf8() + "\nPathRecursive=0\n");
    // A file in place of the trash's folder.
    qputenv("XDG_DATA_HOME",
            QFile::encodeName(trashUsable ? m_tree->path("data") : m_tree->writeFile("blocker")));
    WindowRun run(m_tree->path("s.ini"));
    QVERIFY(run.main().projects().ProjectLoad(project));
    FileListView *view = run.main().fileListView();
    for (int row : {0, 1})
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    run.main().UpdateCommandStates();
    for (int answer : answers)
        run.dialogs.answer(answer == 1 ? BoxButton::Yes : BoxButton::No);

    run.trigger(Command(command));

    QStringList seen;
    for (const ScriptedDialogs::Box &box : run.dialogs.boxes()) {
        const bool question = box.kind == BoxKind::Confirmation &&
                              box.buttons == BoxButtons{BoxButton::Yes, BoxButton::No} &&
                              box.defaultButton == BoxButton::No;
        const bool warning =
            box.kind == BoxKind::Warning && box.buttons == BoxButtons{BoxButton::Ok};
        seen << (question ? "? " : warning ? "! " : "other ") + box.text;
    }
    QCOMPARE(seen, boxes.replaceInStrings("%R", m_tree->root()));
    QVERIFY(run.dialogs.scriptDone());
    QStringList left;
    const FileList &list = run.main().comparison().fileList();
    for (int i = 0; i < list.count(); ++i)
        left << list.row(i).files + ' ' + list.row(i).statusText;
    QCOMPARE(left, rows);
    QCOMPARE(run.action(Command::ActFileDelete)->text(), caption);
}

void DeletionCommandsTest::enterPressesTheDefaultButton()
{
    QString pressed;
    QTimer press;
    press.callOnTimeout([&pressed] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr || !pressed.isEmpty())
            return;
        pressed = box->defaultButton() != nullptr ? box->defaultButton()->text() : "-";
        QTest::keyClick(box, Qt::Key_Return);
        if (box->isVisible())
            box->reject(); // Enter did nothing: the test fails, and never hangs
    });
    press.start(10);
    QtDialogs dialogs;
    QCOMPARE(dialogs.message(nullptr, BoxKind::Confirmation, "?", {BoxButton::Yes, BoxButton::No},
                             BoxButton::No),
             BoxButton::No);
    QCOMPARE(pressed, "&Non");
}

TANDRIMO_TEST(DeletionCommandsTest)
#include "tst_deletioncommands.moc"
