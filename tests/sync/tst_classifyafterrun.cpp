#include "copyrunfixture.h"

#include "compare/rowsides.h"
#include "support/faultyfilecalls.h"
#include "support/refreshrecorder.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <utility>

using platform::FaultyFileCalls;
using platform::FileCall;

namespace {

// Carries the run's row effects onto a list, as the window does.
class ListHost : public RecordingHost {
public:
    explicit ListHost(std::vector<FileList *> lists) : m_lists(std::move(lists)) {}
    void setRowStatusText(int index, const QString &text) override
    {
        for (FileList *list : m_lists)
            list->setStatusText(index, text);
    }
    void setRowError(int index, const QString &text, const QString &detail) override
    {
        for (FileList *list : m_lists)
            list->setError(index, text, detail);
    }

private:
    std::vector<FileList *> m_lists;
};

// A comparison of the fixture's two folders, with its rows.
struct Side {
    TProject project;
    UserPrefs prefs;
    Recorder recorder;
    std::unique_ptr<Comparison> comparison;

    explicit Side(const CopyRunFixture &f)
    {
        project.SrcPath = f.src;
        project.DestPath = f.dest;
        comparison = std::make_unique<Comparison>(project, prefs, recorder);
        recorder.comparison = comparison.get();
    }
    void addRow(const QString &files, std::int32_t code)
    {
        FileEntry &entry = comparison->fileList().append();
        entry.files = files;
        entry.statusCode = code;
        entry.classified = true;
        entry.statusText = QStringLiteral("A copier");
    }
};

} // namespace

class ClassifyAfterRunTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endsAsAFreshClassification_data();
    void endsAsAFreshClassification();
};

void ClassifyAfterRunTest::endsAsAFreshClassification_data()
{
    QTest::addColumn<QString>("change"); // made once /a.txt was placed, before /c.txt is copied
    QTest::addColumn<QString>("rowA");
    QTest::addColumn<QString>("rowD");
    QTest::addColumn<int>("toCopy");
    QTest::newRow("nothing") << ""
                             << "A jour"
                             << "Incohérence !" << 0;
    QTest::newRow("origin rewritten") << "src/a.txt"
                                      << "A copier"
                                      << "Incohérence !" << 1;
    QTest::newRow("copy rewritten") << "dest/a.txt"
                                    << "Incohérence !"
                                    << "Incohérence !" << 0;
    QTest::newRow("copy removed") << "-dest/a.txt"
                                  << "A copier"
                                  << "Incohérence !" << 1;
    QTest::newRow("uncopied row's twin removed") << "-dest/d.txt"
                                                 << "A jour"
                                                 << "A copier" << 1;
    QTest::newRow("later origin removed") << "-src/c.txt"
                                          << "A jour"
                                          << "Incohérence !" << 0;
    QTest::newRow("copy's time changed") << "touch dest/a.txt"
                                         << "Incohérence !"
                                         << "Incohérence !" << 0;
    // The run goes on in the folder it began with, under its new name.
    QTest::newRow("copies' folder moved away") << "move dest"
                                               << "A copier"
                                               << "A copier" << 4;
}

// The classification at the end of a run, from the files the run read once it had ended, gives
// every row what a classification reading them itself gives, changes made during the run
// included; and the worker read them after its last copy.
void ClassifyAfterRunTest::endsAsAFreshClassification()
{
    QFETCH(QString, change);
    QFETCH(QString, rowA);
    QFETCH(QString, rowD);
    QFETCH(int, toCopy);

    CopyRunFixture f;
    for (const char *name : {"a", "b", "c", "d"})
        f.write(QStringLiteral("src/%1.txt").arg(QLatin1String(name)), name, 100);
    f.write(QStringLiteral("dest/d.txt"), "newer d", 10);
    Side fromRun(f);
    Side readAgain(f);
    for (Side *side : {&fromRun, &readAgain}) {
        for (const char *name : {"/a.txt", "/b.txt", "/c.txt"})
            side->addRow(QLatin1String(name), StatusToCopy);
        side->addRow(QStringLiteral("/d.txt"), StatusInconsistent);
    }

    FaultyFileCalls calls;
    bool changed = false; // once: a failed copy is tried a second time
    calls.before(FileCall::Open, "src/c.txt", [&] {
        if (std::exchange(changed, true))
            return;
        if (change.startsWith(u'-')) {
            QVERIFY(QFile::remove(f.tree.path(change.mid(1))));
        } else if (change.startsWith(QLatin1String("touch "))) {
            QFile file(f.tree.path(change.mid(6)));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(kBaseTime.addSecs(3600), QFileDevice::FileModificationTime));
        } else if (change.startsWith(QLatin1String("move "))) {
            const QString folder = f.tree.path(change.mid(5));
            QVERIFY(QDir().rename(folder, folder + QLatin1String("-moved")));
            QVERIFY(QDir().mkdir(folder));
        } else if (!change.isEmpty())
            QVERIFY(!f.write(change, "changed during the run", -3600).isEmpty());
    });
    f.settings.commitFiles = 1; // each copy in place before the next begins
    f.settings.commitInBackground = false;
    f.settings.readSidesAtEnd = true;
    f.settings.FilesToCopyCount = 3;
    f.settings.fileCalls = &calls;
    ListHost host({&fromRun.comparison->fileList(), &readAgain.comparison->fileList()});
    CopyRun run(CopyRunSnapshot::take(fromRun.comparison->fileList(), true), f.settings, f.stop,
                host, [](const QByteArray &, int) { return 1e12; });
    run.JvThread1Execute();
    QCOMPARE(run.rowSides().size(), std::size_t(4));

    fromRun.comparison->ClassifyAfterCopyRun(run.rowSides());
    readAgain.comparison->ClassifyFileList();
    const FileList &got = fromRun.comparison->fileList();
    const FileList &want = readAgain.comparison->fileList();
    QCOMPARE(got.row(0).statusText, rowA);
    QCOMPARE(got.row(3).statusText, rowD);
    QCOMPARE(fromRun.comparison->filesToCopyCount(), toCopy);
    for (int i = 0; i < want.count(); ++i) {
        QCOMPARE(got.row(i).statusCode, want.row(i).statusCode);
        QCOMPARE(got.row(i).statusText, want.row(i).statusText);
        QCOMPARE(got.row(i).dtSrc, want.row(i).dtSrc);
        QCOMPARE(got.row(i).dtDest, want.row(i).dtDest);
    }
    QCOMPARE(fromRun.comparison->filesToCopyCount(), readAgain.comparison->filesToCopyCount());
    QCOMPARE(fromRun.comparison->failedCopyCount(), readAgain.comparison->failedCopyCount());
    QCOMPARE(fromRun.comparison->summaryText(), readAgain.comparison->summaryText());
}

TANDRIMO_TEST(ClassifyAfterRunTest)
#include "tst_classifyafterrun.moc"
