#include "compare/rowedits.h"
#include "compare/statuscode.h"
#include "filelist/filelistmodel.h"
#include "filelist/filelistview.h"
#include "platform/runlock.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "sync/copyrunthread.h"
#include "windowrun.h"

#include <QDir>
#include <QHash>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <optional>

#include <sys/stat.h>

using platform::FaultyFileCalls;
using platform::FileCall;

namespace {

// The inode of a file: a copy made anew has another.
quint64 factsOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

} // namespace

class CopyCommandTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_tree = std::make_unique<TestTree>(); }
    void copiesWhatIsDueThenClassifiesAgain();
    void startDoesNothingWithoutFilesToCopy();
    void failedCopiesKeepTheirErrorUntilTheNextRefresh();
    void stopThenStartCopiesEachFileOnce();
    void stopEndsALargeCopyAtOnce();
    void abandonPlacesNothingMore();
    void startIsRefusedWhereItWouldNotBeSafe_data();
    void startIsRefusedWhereItWouldNotBeSafe();
    void closingDuringARunAsksFirst_data();
    void closingDuringARunAsksFirst();
    void closingDuringARefreshClosesOnceIdle();

private:
    QString project(int files);
    std::unique_ptr<TestTree> m_tree;
};

QString CopyCommandTest::project(int files)
{
    const QDateTime when(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
    for (int i = 0; i < files; ++i)
        m_tree->writeFile(QStringLiteral("src/f%1.txt").arg(i), QByteArray(100, char('a' + i % 26)),
                          when);
    m_tree->makeFolder(QStringLiteral("dst"));
    return m_tree->writeFile(
        QStringLiteral("p.tdm"),
        "[Directories]\nSrcRelPath=" + m_tree->path(QStringLiteral("src")).toUtf8() +
            "\nDestRelPath=" + m_tree->path(QStringLiteral("dst")).toUtf8() +
            "\nPathRecursive=0\n");
}

void CopyCommandTest::copiesWhatIsDueThenClassifiesAgain()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project(4)));
    QCOMPARE(run.main().comparison().filesToCopyCount(), 4);
    QSignalSpy finished(run.main().copyRunThread(), &CopyRunThread::finishAll);
    run.trigger(Command::ActAppCopyFiles);
    QVERIFY(run.action(Command::ActAppStop)->isEnabled());
    QVERIFY(!run.action(Command::ActAppCopyFiles)->isEnabled());
    run.trigger(Command::ActAppCopyFiles); // a second Start while the run executes does nothing
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.count(), 1);

    const FileList &rows = run.main().comparison().fileList();
    for (int i = 0; i < rows.count(); ++i) {
        QCOMPARE(rows.row(i).statusText, QStringLiteral("A jour"));
        QCOMPARE(m_tree->read(QStringLiteral("dst/") + rows.row(i).files),
                 m_tree->read(QStringLiteral("src/") + rows.row(i).files));
    }
    QCOMPARE(run.main().comparison().filesToCopyCount(), 0);
    QVERIFY(!run.main().comparison().busy());
    QCOMPARE(run.main().findChild<QProgressBar *>(QStringLiteral("AdvProgress1"))->value(), 0);
    QCOMPARE(run.main().statusText(2), QStringLiteral("Aucun fichier à copier / 4"));
    QVERIFY(!run.action(Command::ActAppStop)->isEnabled());
    QCOMPARE(run.dialogs.boxes().size(), 0);
}

void CopyCommandTest::startDoesNothingWithoutFilesToCopy()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project(2)));
    run.main().comparison().editRows(removeFromCopy, {0, 1});
    QSignalSpy finished(run.main().copyRunThread(), &CopyRunThread::finishAll);
    run.main().sync().ActAppCopyFilesExecute();
    QVERIFY(!run.main().comparison().busy());
    // No worker started, so nothing is left to come.
    QVERIFY(!run.main().copyRunThread()->isRunning());
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
    QVERIFY(!QFile::exists(m_tree->path(QStringLiteral("dst/f0.txt"))));
}

// A copy that fails says why in its row, its tooltip, the summary and a box at the end of the
// run; the classification at the end of the run leaves it so, and a refresh looks afresh.
void CopyCommandTest::failedCopiesKeepTheirErrorUntilTheNextRefresh()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    const QString path = project(3);
    m_tree->makeFolder(QStringLiteral("dst/f1.txt")); // a folder in the second file's place
    QVERIFY(run.main().projects().ProjectLoad(path));
    QSignalSpy finished(run.main().copyRunThread(), &CopyRunThread::finishAll);
    run.dialogs.answer(BoxButton::Ok);
    run.trigger(Command::ActAppCopyFiles);
    QVERIFY(finished.wait(20000));

    const FileList &rows = run.main().comparison().fileList();
    QCOMPARE(rows.row(1).files, QStringLiteral("/f1.txt"));
    QCOMPARE(rows.row(1).statusCode, std::int32_t(StatusError));
    QCOMPARE(rows.row(1).statusText, QStringLiteral("Erreur : un dossier porte ce nom"));
    const QAbstractItemModel *model = run.main().fileListView()->fileModel();
    QVERIFY(model->index(1, fldStatusText).data(Qt::ToolTipRole).toString().contains(u"EISDIR"));
    QCOMPARE(rows.row(0).statusText, QStringLiteral("A jour"));
    QCOMPARE(run.main().statusText(2),
             QStringLiteral("Aucun fichier à copier / 3 ; 1 copie en erreur"));
    QCOMPARE(run.dialogs.boxes().size(), 1);
    QCOMPARE(run.dialogs.boxes().first().kind, BoxKind::Warning);
    QCOMPARE(run.dialogs.boxes().first().text,
             QStringLiteral("La copie d'un fichier a échoué :\n/f1.txt : un dossier porte ce nom"));

    run.trigger(Command::ActProjectFileToCopyRefresh);
    QCOMPARE(rows.row(1).statusText, QStringLiteral("A copier"));
    QCOMPARE(run.main().statusText(2), QStringLiteral("1 fichier à copier / 3"));
}

// Stop during a run: the copies made stay and count as up to date, so that Start copies only
// what remains; the summary says how many were copied. A second Stop does nothing more.
void CopyCommandTest::stopThenStartCopiesEachFileOnce()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project(300)));
    QSignalSpy finished(run.main().copyRunThread(), &CopyRunThread::finishAll);
    FaultyFileCalls calls;
    calls.before(FileCall::Open, "src/f5.txt", [&run] {
        run.onWindowThread([&run] {
            run.trigger(Command::ActAppStop);
            run.trigger(Command::ActAppStop);
        });
    });
    run.main().sync().setCopyFileCalls(&calls);
    run.trigger(Command::ActAppCopyFiles);
    QVERIFY(finished.wait(60000));

    const Comparison &comparison = run.main().comparison();
    const FileList &rows = comparison.fileList();
    QHash<QString, quint64> placed; // the inode of each copy the first run made
    for (int i = 0; i < rows.count(); ++i) {
        const bool copied = rows.row(i).statusText == u"Copié";
        QCOMPARE(rows.row(i).statusCode, std::int32_t(copied ? StatusUpToDate : StatusToCopy));
        if (copied)
            placed.insert(rows.row(i).files, factsOf(m_tree->path(u"dst" + rows.row(i).files)));
    }
    QVERIFY(!placed.isEmpty() && placed.size() < 300);
    QCOMPARE(comparison.filesToCopyCount(), 300 - int(placed.size()));
    QVERIFY(!comparison.busy());
    const QString copies = placed.size() == 1
                               ? QStringLiteral("1 fichier copié")
                               : QStringLiteral("%1 fichiers copiés").arg(placed.size());
    QVERIFY2(run.main().statusText(2).startsWith(u"Copie arrêtée : " + copies + u" ; "),
             qPrintable(run.main().statusText(2)));
    QCOMPARE(run.dialogs.boxes().size(), 0);

    run.main().sync().setCopyFileCalls(nullptr);
    run.trigger(Command::ActAppCopyFiles);
    QVERIFY(finished.wait(60000));
    for (auto it = placed.cbegin(); it != placed.cend(); ++it)
        QCOMPARE(factsOf(m_tree->path(u"dst" + it.key())), it.value());
    QCOMPARE(comparison.filesToCopyCount(), 0);
    QCOMPARE(run.main().statusText(2), QStringLiteral("Aucun fichier à copier / 300"));
}

// Stop during the copy of a large file ends it at the next chunk: the status bar says so at
// once, the temporary file goes and the old target stays byte for byte.
void CopyCommandTest::stopEndsALargeCopyAtOnce()
{
    const QDateTime old(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
    QByteArray big(48 << 20, '\0');
    for (qsizetype i = 0; i < big.size(); i += 4096)
        big[i] = char(i >> 12);
    m_tree->writeFile(QStringLiteral("src/big.bin"), big, old.addDays(1));
    m_tree->writeFile(QStringLiteral("dst/big.bin"), "old target", old);
    const QString path = project(0);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(path));
    FaultyFileCalls calls;
    calls.fail(FileCall::CloneFile, EOPNOTSUPP); // the bytes themselves, not a shared copy
    QString shown;
    calls.before(FileCall::CopyFileRange, "big.bin", [&] {
        run.onWindowThread([&] {
            run.trigger(Command::ActAppStop);
            shown = run.main().statusText(2);
        });
    });
    run.main().sync().setCopyFileCalls(&calls);
    QSignalSpy finished(run.main().copyRunThread(), &CopyRunThread::finishAll);
    run.trigger(Command::ActAppCopyFiles);
    QVERIFY(finished.wait(60000));

    QCOMPARE(shown, QStringLiteral("Arrêt en cours..."));
    QCOMPARE(calls.count(FileCall::CopyFileRange), 1);
    QCOMPARE(run.main().comparison().fileList().row(0).statusText, QStringLiteral("Copie arrêtée"));
    QCOMPARE(m_tree->read(QStringLiteral("dst/big.bin")), QByteArray("old target"));
    QCOMPARE(QDir(m_tree->path(QStringLiteral("dst"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("big.bin")});
    QCOMPARE(run.main().comparison().filesToCopyCount(), 1);
}

// "&Abandon" after a copy found different: the copies made after it, in its group or waiting,
// never take their targets' places, and their rows say so.
void CopyCommandTest::abandonPlacesNothingMore()
{
    m_tree->writeFile(QStringLiteral("s.ini"), "[Files]\nFileCompareCopy=1\n");
    const QString path = project(5);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().userPrefs().FileCompareCopy);
    QVERIFY(run.main().projects().ProjectLoad(path));
    FaultyFileCalls calls;
    calls.corruptReads("src/f1.txt");
    run.main().sync().setCopyFileCalls(&calls);
    run.dialogs.answer(BoxButton::Abandon);
    QSignalSpy finished(run.main().copyRunThread(), &CopyRunThread::finishAll);
    run.trigger(Command::ActAppCopyFiles);
    QVERIFY(finished.wait(60000));

    const FileList &rows = run.main().comparison().fileList();
    QCOMPARE(rows.row(0).statusText, QStringLiteral("Copié et vérifié"));
    QCOMPARE(rows.row(1).statusCode, std::int32_t(StatusError));
    QCOMPARE(QDir(m_tree->path(QStringLiteral("dst"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("f0.txt")});
    for (int i = 2; i < 5; ++i)
        QCOMPARE(rows.row(i).statusText, QStringLiteral("Copie abandonnée"));
    QVERIFY(run.dialogs.scriptDone());
}

void CopyCommandTest::startIsRefusedWhereItWouldNotBeSafe_data()
{
    QTest::addColumn<bool>("locked"); // else the destination is a link elsewhere since the listing
    QTest::addColumn<QString>("box");
    QTest::newRow("another run on the destination") << true << "Une autre synchronisation";
    QTest::newRow("destination swapped for a link") << false << "Le répertoire";
}

// Start copies nothing where another run works on the destination, or where the destination's
// name reaches another folder than the one listed; a box says why.
void CopyCommandTest::startIsRefusedWhereItWouldNotBeSafe()
{
    QFETCH(bool, locked);
    QFETCH(QString, box);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project(3)));
    const QString dst = m_tree->path(QStringLiteral("dst"));
    const QString elsewhere = m_tree->makeFolder(QStringLiteral("elsewhere"));
    std::optional<platform::RunLock> held;
    if (locked) {
        held.emplace(platform::RunLock::acquire(dst));
        QCOMPARE(held->state(), platform::RunLock::State::Held);
    } else {
        QVERIFY(QDir().rename(dst, dst + QStringLiteral("-listed")));
        QVERIFY(QFile::link(elsewhere, dst));
    }

    run.trigger(Command::ActAppCopyFiles);

    QVERIFY(!run.main().copyRunThread()->isRunning());
    QVERIFY(!run.main().comparison().busy());
    QCOMPARE(run.dialogs.boxes().size(), 1);
    QVERIFY2(run.dialogs.boxes().first().text.startsWith(box),
             qPrintable(run.dialogs.boxes().first().text));
    QCOMPARE(QDir(dst).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void CopyCommandTest::closingDuringARunAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Oui stops, then closes") << int(BoxButton::Yes);
    QTest::newRow("Non keeps the run going") << int(BoxButton::No);
}

void CopyCommandTest::closingDuringARunAsksFirst()
{
    QFETCH(int, answer);
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project(300)));
    QSignalSpy finished(run.main().copyRunThread(), &CopyRunThread::finishAll);
    run.trigger(Command::ActAppCopyFiles);
    run.dialogs.answer(BoxButton(answer));
    const bool closed = run.main().close();
    QCOMPARE(run.dialogs.boxes().size(), 1);
    QCOMPARE(run.dialogs.boxes().first().kind, BoxKind::Confirmation);
    QCOMPARE(run.dialogs.boxes().first().buttons, BoxButtons({BoxButton::Yes, BoxButton::No}));
    QVERIFY(!closed); // never waits for the run: the close is put off or refused
    if (answer == int(BoxButton::Yes)) {
        // The window closes once the run has ended, with its end of run.
        QTRY_VERIFY_WITH_TIMEOUT(!run.main().isVisible(), 60000);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!run.main().comparison().busy());
        QVERIFY(!run.main().copyRunThread()->isRunning());
    } else {
        QVERIFY(run.main().isVisible());
        QVERIFY(finished.count() == 1 || finished.wait(60000));
        const FileList &rows = run.main().comparison().fileList();
        for (int i = 0; i < rows.count(); ++i)
            QVERIFY(QFile::exists(m_tree->path(QStringLiteral("dst/") + rows.row(i).files)));
    }
    // No file carries a partial copy under a target's name.
    const FileList &rows = run.main().comparison().fileList();
    for (int i = 0; i < rows.count(); ++i) {
        const QString target = QStringLiteral("dst/") + rows.row(i).files;
        if (QFile::exists(m_tree->path(target)))
            QCOMPARE(m_tree->read(target),
                     m_tree->read(QStringLiteral("src/") + rows.row(i).files));
    }
}

void CopyCommandTest::closingDuringARefreshClosesOnceIdle()
{
    WindowRun run(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(run.main().projects().ProjectLoad(project(50)));
    // The refresh lets input through at its first status message: its clock says the interval
    // has passed at every reading.
    run.main().comparison().setInputClock(
        [now = qint64(0)]() mutable { return now += Comparison::kInputIntervalMs; });
    bool closedAtOnce = true;
    QTimer::singleShot(0, &run.main(),
                       [&run, &closedAtOnce] { closedAtOnce = run.main().close(); });
    run.dialogs.answer(BoxButton::Yes);
    run.trigger(Command::ActProjectFileToCopyRefresh);
    QVERIFY(!closedAtOnce);
    QCOMPARE(run.dialogs.boxes().size(), 1);
    QVERIFY(run.dialogs.boxes().first().text.contains(u"mise à jour"));
    QTRY_VERIFY(!run.main().isVisible());
    QVERIFY(!run.main().comparison().busy());
}

TANDRIMO_TEST(CopyCommandTest)
#include "tst_copycommand.moc"
