#include "platform/appinfo.h"
#include "platform/runlock.h"
#include "support/childprocess.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct CliResult {
    int code = -1;
    QStringList out;
    QString err;
};

QStringList lines(const QByteArray &bytes)
{
    QStringList all = QString::fromUtf8(bytes).split(u'\n');
    all.removeAll(QString());
    return all;
}

// A small RFC 4180 reader: quoted fields may hold the separator, doubled quotes and line breaks.
QList<QStringList> readCsv(const QString &text, QChar separator)
{
    QList<QStringList> records{{QString()}};
    bool quoted = false;
    const auto next = [&text](qsizetype i) { return i + 1 < text.size() ? text[i + 1] : QChar(); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        QString &field = records.last().last();
        if (quoted && c == u'"' && next(i) == u'"')
            field += text[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == separator)
            records.last().append(QString());
        else if (!quoted && c == u'\r' && next(i) == u'\n' && ++i)
            records.append({QString()});
        else
            field += c;
    }
    records.removeLast(); // after the last line break
    return records;
}

const QDateTime kOld(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
const QDateTime kNew(QDate(2024, 6, 1), QTime(10, 0), Qt::UTC);

} // namespace

// tandrimo-cli run as a process on real trees, and the installed program.
class CliTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void exitStatuses_data();
    void exitStatuses();
    void destinationLock_data();
    void destinationLock();
    void interruptStopsAfterTheCurrentFile_data();
    void interruptStopsAfterTheCurrentFile();
    void fileWithoutRoomFailsAndTheRunGoesOn();
    void namesAreShownEscaped_data();
    void namesAreShownEscaped();
    void summaryCountsWhatIsDue_data();
    void summaryCountsWhatIsDue();
    void csvReadsBack_data();
    void csvReadsBack();
    void settingsOfAReadOnlyProgramFolder_data();
    void settingsOfAReadOnlyProgramFolder();
    void installHoldsEveryFile();

private:
    QString project(const QString &name, const QString &source, const QString &destination);
    void start(QProcess &process, const QStringList &arguments, const QStringList &environment,
               int ignoredSignal = 0);
    CliResult run(const QStringList &arguments, const QStringList &environment = {});
    std::unique_ptr<TestTree> m_tree;
    std::optional<QByteArray> m_runtime; // the environment's, restored at the end
};

void CliTest::initTestCase()
{
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        m_runtime = qgetenv("XDG_RUNTIME_DIR");
}

void CliTest::cleanupTestCase()
{
    if (m_runtime)
        qputenv("XDG_RUNTIME_DIR", *m_runtime);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

void CliTest::init()
{
    m_tree = std::make_unique<TestTree>();
    m_tree->writeFile("src/a.txt", "new", kNew);
    m_tree->writeFile("src/c.txt", "c", kOld);
    m_tree->writeFile("dst/c.txt", "c", kOld);
    m_tree->writeFile("src2/x.txt", "x", kNew);
    m_tree->makeFolder("dst2/x.txt"); // a folder in the copy's place: the copy fails
    project("p.tdm", "src", "dst");
    project("missing.tdm", "src", "nowhere");
    project("fails.tdm", "src2", "dst2");
    m_tree->writeFile("root.tdm", "[Directories]\nSrcRelPath=" + m_tree->path("src").toUtf8() +
                                      "\nDestRelPath=/\nPathRecursive=1\n");
    // The runs' destination locks, and this test's, lie in the tree.
    qputenv("XDG_RUNTIME_DIR", m_tree->makeFolder("run").toUtf8());
}

QString CliTest::project(const QString &name, const QString &source, const QString &destination)
{
    return m_tree->writeFile(name, "[Directories]\nSrcRelPath=" + m_tree->path(source).toUtf8() +
                                       "\nDestRelPath=" + m_tree->path(destination).toUtf8() +
                                       "\nPathRecursive=1\n");
}

void CliTest::start(QProcess &process, const QStringList &arguments, const QStringList &environment,
                    int ignoredSignal)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TANDRIMO_INI", m_tree->path("s.ini"));
    for (const QString &pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(env);
    // The program keeps a stop signal that it finds ignored, as a test runner may leave them.
    process.setChildProcessModifier([ignoredSignal] {
        for (const int number : {SIGINT, SIGTERM, SIGHUP})
            std::signal(number, number == ignoredSignal ? SIG_IGN : SIG_DFL);
    });
    process.setWorkingDirectory(m_tree->root());
    process.start(TANDRIMO_CLI, arguments);
}

CliResult CliTest::run(const QStringList &arguments, const QStringList &environment)
{
    QProcess process;
    start(process, arguments, environment);
    if (!process.waitForFinished(60000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            lines(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void CliTest::exitStatuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<bool>("copied");
    const QStringList copied{"Copié  /a.txt", "1 fichier copié / 1 à copier"};
    const QStringList verified{"Copié et vérifié  /a.txt", "1 fichier copié / 1 à copier"};
    QTest::newRow("dry run") << QStringList{"-n", "p.tdm"} << QByteArray() << 0
                             << QStringList{"A copier  /a.txt", "A jour    /c.txt",
                                            "1 fichier à copier / 2"}
                             << "" << false;
    QTest::newRow("copy") << QStringList{"p.tdm"} << QByteArray() << 0 << copied << "" << true;
    QTest::newRow("--verify") << QStringList{"--verify", "p.tdm"} << QByteArray() << 0 << verified
                              << "" << true;
    QTest::newRow("verification in the settings")
        << QStringList{"p.tdm"} << QByteArray("[Files]\nFileCompareCopy=1\n") << 0 << verified << ""
        << true;
    QTest::newRow("quiet") << QStringList{"-q", "p.tdm"} << QByteArray() << 0 << QStringList() << ""
                           << true;
    QTest::newRow("short options together")
        << QStringList{"-nq", "p.tdm"} << QByteArray() << 0 << QStringList() << "" << false;
    QTest::newRow("--csv without its file") << QStringList{"p.tdm", "--csv"} << QByteArray() << 1
                                            << QStringList() << "--csv attend un nom" << false;
    QTest::newRow("bad option") << QStringList{"--frobnicate", "p.tdm"} << QByteArray() << 1
                                << QStringList() << "option inconnue : --frobnicate" << false;
    QTest::newRow("unreadable project")
        << QStringList{"none.tdm"} << QByteArray() << 1 << QStringList() << "none.tdm" << false;
    QTest::newRow("missing folder")
        << QStringList{"missing.tdm"} << QByteArray() << 2 << QStringList()
        << "/nowhere\" n'existe pas : tandrimo-cli ne le crée pas." << false;
    QTest::newRow("root destination")
        << QStringList{"-n", "root.tdm"} << QByteArray() << 2 << QStringList()
        << "refusé sans --allow-root-destination" << false;
    QTest::newRow("root destination allowed")
        << QStringList{"-n", "--allow-root-destination", "root.tdm"} << QByteArray() << 0
        << QStringList{"A copier  /a.txt", "A copier  /c.txt", "2 fichiers à copier / 2"} << ""
        << false;
    QTest::newRow("failed copy") << QStringList{"-q", "fails.tdm"} << QByteArray() << 3
                                 << QStringList() << "/x.txt : Erreur : " << false;
}

void CliTest::exitStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, settings);
    QFETCH(int, code);
    QFETCH(QStringList, out);
    QFETCH(QString, err);
    QFETCH(bool, copied);
    m_tree->writeFile("s.ini", settings);
    const CliResult result = run(arguments);
    QCOMPARE(result.code, code);
    QCOMPARE(result.out, out);
    QVERIFY2(err.isEmpty() ? result.err.isEmpty() : result.err.contains(err),
             qPrintable(result.err));
    QCOMPARE(m_tree->read("dst/a.txt"), copied ? QByteArray("new") : QByteArray());
}

void CliTest::destinationLock_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("heldByAnother");
    QTest::addColumn<QString>("runtime"); // the runtime folder, below the tree
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err");
    QTest::addColumn<bool>("copied");
    QTest::newRow("held by another run")
        << QStringList{"p.tdm"} << true << "run" << 4
        << "Une autre synchronisation vers le répertoire \"%1\" est en cours (fenêtre ou "
           "tandrimo-cli). Attendez qu'elle se termine, puis recommencez.\n"
        << false;
    QTest::newRow("dry run beside it")
        << QStringList{"-n", "p.tdm"} << true << "run" << 0 << "" << false;
    // A cron job has no runtime folder: the destination folder's own lock still meets it.
    QTest::newRow("held by a run with another lock folder")
        << QStringList{"p.tdm"} << true << "elsewhere" << 4
        << "Une autre synchronisation vers le répertoire \"%1\" est en cours (fenêtre ou "
           "tandrimo-cli). Attendez qu'elle se termine, puis recommencez.\n"
        << false;
    QTest::newRow("lock folder unusable: the folder's own lock")
        << QStringList{"-q", "p.tdm"} << false << "s.ini" << 0 << "" << true;
}

// The test holds the destination's lock as another run would, or the lock cannot be taken.
void CliTest::destinationLock()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, heldByAnother);
    QFETCH(QString, runtime);
    QFETCH(int, code);
    QFETCH(QString, err);
    QFETCH(bool, copied);
    m_tree->writeFile("s.ini");
    std::optional<platform::RunLock> lock;
    if (heldByAnother) {
        lock = platform::RunLock::acquire(m_tree->path("dst/"));
        QCOMPARE(lock->state(), platform::RunLock::State::Held);
    }
    const CliResult result = run(arguments, {"XDG_RUNTIME_DIR=" + m_tree->path(runtime)});
    QCOMPARE(result.code, code);
    QCOMPARE(result.err, err.isEmpty() ? err : err.arg(m_tree->path("dst")));
    QCOMPARE(m_tree->read("dst/a.txt"), copied ? QByteArray("new") : QByteArray());
}

void CliTest::interruptStopsAfterTheCurrentFile_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second"); // 0: none
    QTest::addColumn<int>("ignored");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("Ctrl+C") << int(SIGINT) << 0 << 0 << "stopped";
    QTest::newRow("SIGTERM") << int(SIGTERM) << 0 << 0 << "stopped";
    QTest::newRow("SIGHUP") << int(SIGHUP) << 0 << 0 << "stopped";
    QTest::newRow("SIGTERM, then Ctrl+C") << int(SIGTERM) << int(SIGINT) << 0 << "killed";
    QTest::newRow("SIGHUP ignored, as under nohup")
        << int(SIGHUP) << 0 << int(SIGHUP) << "finished";
}

// A stop signal in the middle of a large file: its copy is given up and the old file stays (a
// target is never cut), nothing after it is begun, and the status and the summary say so. A
// second signal ends the run at once.
void CliTest::interruptStopsAfterTheCurrentFile()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, ignored);
    QFETCH(QString, outcome);
    const QByteArray large(256 << 20, 'x');
    m_tree->writeFile("src/a.txt", large, kNew);
    m_tree->writeFile("dst/a.txt", "old", kOld);
    m_tree->writeFile("src/b.txt", "new b", kNew);
    m_tree->writeFile("dst/b.txt", "old b", kOld);
    QProcess process;
    start(process, {"p.tdm"}, {}, ignored);
    QVERIFY(process.waitForStarted());
    // The copy's unnamed temporary file, open in the process, still short of the whole size.
    const QString fds = QStringLiteral("/proc/%1/fd").arg(process.processId());
    bool interrupted = false;
    QElapsedTimer timer;
    timer.start();
    while (!interrupted && process.state() == QProcess::Running && timer.elapsed() < 30000) {
        for (const QString &name : QDir(fds).entryList(QDir::AllEntries | QDir::System)) {
            const QString fd = fds + u'/' + name;
            const QString target = QFile::symLinkTarget(fd);
            struct stat st {};
            if ((target.startsWith(m_tree->path("dst/#")) ||
                 target.startsWith(m_tree->path("dst/.tandrimo~"))) &&
                ::stat(QFile::encodeName(fd).constData(), &st) == 0 && st.st_size < large.size()) {
                const pid_t pid = pid_t(process.processId());
                interrupted = ::kill(pid, first) == 0 && (second == 0 || ::kill(pid, second) == 0);
                break;
            }
        }
    }
    QVERIFY(process.waitForFinished(60000));
    if (!interrupted)
        QSKIP("the large file was copied before it could be interrupted");
    const QStringList out = lines(process.readAllStandardOutput());
    QCOMPARE(m_tree->read("dst/b.txt"), QByteArray(outcome == u"finished" ? "new b" : "old b"));
    if (outcome == u"killed") {
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        // Both signals may be pending at once, and the lower-numbered one is delivered first:
        // either may be the one that ends it.
        QVERIFY2(process.exitCode() == second || process.exitCode() == first,
                 qPrintable(QString::number(process.exitCode())));
        QVERIFY2(out.isEmpty() || !out.last().contains(u"à copier"), qPrintable(out.join(u'\n')));
        return;
    }
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), outcome == u"finished" ? 0 : 130);
    QVERIFY2(out.value(out.size() - 1).endsWith(u" / 2 à copier"), qPrintable(out.join(u'\n')));
    const QByteArray copy = m_tree->read("dst/a.txt");
    QVERIFY(copy == large || copy == "old");
    QCOMPARE(QDir(m_tree->path("dst")).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// On a destination of 1 MB the 2 MB file fails and the next one is copied.
void CliTest::fileWithoutRoomFailsAndTheRunGoesOn()
{
    m_tree->writeFile("src/a.txt", QByteArray(2 << 20, 'a'), kNew);
    const ChildOutcome child = runInChild([this] {
        if (!mountPrivateTmpfs(m_tree->path("dst"), 1 << 20))
            return QByteArray();
        const QByteArray command = "cd '" + QFile::encodeName(m_tree->root()) +
                                   "' && TANDRIMO_INI=s.ini '" TANDRIMO_CLI "' -q p.tdm 2>err";
        const int status = std::system(command.constData());
        const QByteArray seen = QByteArray::number(WEXITSTATUS(status)) + '\n' +
                                m_tree->read("dst/c.txt") + '\n' + m_tree->read("err");
        unmountPrivateTmpfs(m_tree->path("dst"));
        return seen;
    });
    QVERIFY(child.exited);
    if (child.output.isEmpty())
        QSKIP("no private tmpfs could be mounted (needs root and mount namespaces)");
    const QStringList seen = lines(child.output);
    QCOMPARE(seen.mid(0, 2), QStringList({"3", "c"}));
    QVERIFY2(seen.value(2).startsWith("/a.txt : Erreur : espace disque insuffisant"),
             child.output.constData());
}

void CliTest::namesAreShownEscaped_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line break") << QByteArray("b\nErreur : forged line")
                                << "b\\nErreur : forged line";
    QTest::newRow("carriage return") << QByteArray("b\rA jour") << "b\\rA jour";
    QTest::newRow("terminal escape") << QByteArray("e\x1b[2J\tf\x7f") << "e\\x1b[2J\\tf\\x7f";
    QTest::newRow("backslash") << QByteArray("back\\n") << "back\\\\n";
    QTest::newRow("C1 control") << QByteArray("c\xc2\x9b"
                                              "2J")
                                << "c\\u009b2J";
}

// Every line that names the file shows its control characters escaped, on a terminal or in a
// log; the copy has the file's real name.
void CliTest::namesAreShownEscaped()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    const QString real = QString::fromUtf8(name);
    m_tree->writeFile("src/" + real, "odd", kNew);
    const CliResult dry = run({"-n", "p.tdm"});
    QCOMPARE(dry.code, 0);
    QCOMPARE(dry.out.size(), 4);
    QVERIFY2(dry.out.contains("A copier  /" + shown), qPrintable(dry.out.join(u'|')));
    const CliResult copy = run({"p.tdm"});
    QCOMPARE(copy.code, 0);
    QCOMPARE(copy.out.size(), 3);
    QVERIFY2(copy.out.contains("Copié  /" + shown), qPrintable(copy.out.join(u'|')));
    QCOMPARE(m_tree->read("dst/" + real), QByteArray("odd"));
}

void CliTest::summaryCountsWhatIsDue_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("out");
    QTest::newRow("dry run") << QStringList{"-n", "p.tdm"}
                             << QStringList{"A copier       /a.txt", "Lecture seule  /b.txt",
                                            "A jour         /c.txt", "1 fichier à copier / 3"};
    // A copy is told once it is flushed, which may come after the file passed over.
    QTest::newRow("copy") << QStringList{"p.tdm"}
                          << QStringList{"Copié  /a.txt", "Lecture seule  /b.txt",
                                         "1 fichier copié / 1 à copier"};
}

// A newer source whose twin is read-only, with read-only targets kept: the row says "Lecture
// seule", and no summary counts it as due.
void CliTest::summaryCountsWhatIsDue()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, out);
    m_tree->writeFile("s.ini", "[Files]\nFileSyncReadOnly=0\n");
    m_tree->writeFile("src/b.txt", "new b", kNew);
    m_tree->writeFile("dst/b.txt", "old b", kOld);
    QVERIFY(m_tree->setMode("dst/b.txt", 0444));
    const CliResult result = run(arguments);
    QCOMPARE(result.code, 0);
    QCOMPARE(result.out.value(out.size() - 1), out.last());
    QStringList rows = result.out;
    rows.sort();
    out.sort();
    QCOMPARE(rows, out);
    QCOMPARE(m_tree->read("dst/b.txt"), QByteArray("old b"));
}

void CliTest::csvReadsBack_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QChar>("separator");
    QTest::newRow("French") << "fr_FR.UTF-8" << QChar(u';');
    QTest::newRow("English") << "en_US.UTF-8" << QChar(u',');
}

// Names with accents, quotes, both separators and a line break come back whole.
void CliTest::csvReadsBack()
{
    QFETCH(QString, lang);
    QFETCH(QChar, separator);
    const QStringList names{"/a \"quoted\".txt",     "/a.txt",           "/c.txt",
                            "/comma,semi;colon.txt", "/line\nbreak.txt", "/été.txt"};
    for (const QString &name : names)
        m_tree->writeFile("src" + name, "x", kNew);
    const CliResult result =
        run({"--dry-run", "--csv", "list.csv", "p.tdm"}, {"LC_ALL=", "LANG=" + lang});
    QCOMPARE(result.code, 0);
    const QByteArray bytes = m_tree->read("list.csv");
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> records = readCsv(QString::fromUtf8(bytes.mid(3)), separator);
    QCOMPARE(records.size(), names.size() + 1);
    QCOMPARE(records[0],
             QStringList({"Fichiers", "Ext.", "Taille", "Source", "Destination", "Statut"}));
    QStringList read;
    for (const QStringList &record : records.mid(1)) {
        QCOMPARE(record.size(), 6);
        QVERIFY2(QDateTime::fromString(record[3], Qt::ISODate).isValid(), qPrintable(record[3]));
        read << record[0];
    }
    read.sort();
    QCOMPARE(read, names);
}

void CliTest::settingsOfAReadOnlyProgramFolder_data()
{
    QTest::addColumn<unsigned>("mode");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("dialogs");
    QTest::newRow("build folder") << 0755u << ""
                                  << "bin/tandrimo.ini"
                                  << "bin/";
    QTest::newRow("installed") << 0555u << ""
                               << "cfg/tandrimo/tandrimo.ini"
                               << "home/Documents";
    QTest::newRow("TANDRIMO_INI wins") << 0555u << "mine.ini"
                                       << "mine.ini"
                                       << "home/Documents";
}

// Run as a user who cannot write into the program's folder, as an installed program is.
void CliTest::settingsOfAReadOnlyProgramFolder()
{
    QFETCH(unsigned, mode);
    QFETCH(QString, chosen);
    QFETCH(QString, settings);
    QFETCH(QString, dialogs);
    const QString bin = m_tree->makeFolder("bin") + u'/';
    QVERIFY(m_tree->setMode("bin", mode));
    const ChildOutcome child = runInChild([&] {
        qputenv("TANDRIMO_INI", chosen.isEmpty() ? QByteArray() : m_tree->path(chosen).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_tree->path("cfg").toUtf8());
        qputenv("HOME", m_tree->makeFolder("home").toUtf8());
        if (!becomeUnprivileged(m_tree->root()))
            return QByteArray();
        const QString file = platform::settingsFilePath(bin);
        platform::prepareSettingsFolder(file);
        const bool made = QFileInfo::exists(m_tree->path("cfg/tandrimo"));
        return (file + u'\n' + platform::userFilesFolder(bin) + u'\n' +
                (made ? u"folder made" : u"no folder"))
            .toUtf8();
    });
    QVERIFY(child.exited);
    QVERIFY2(!child.output.isEmpty(), "could not become an unprivileged user");
    const bool made = settings.startsWith(u"cfg");
    QCOMPARE(lines(child.output), QStringList({m_tree->path(settings), m_tree->path(dialogs),
                                               made ? "folder made" : "no folder"}));
}

// Every file of the installation in its place, and a desktop entry that validates.
void CliTest::installHoldsEveryFile()
{
    const QString prefix = m_tree->path("prefix");
    QProcess install;
    install.start(CMAKE_COMMAND, {"--install", TANDRIMO_BINARY_DIR, "--prefix", prefix});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    for (const char *file :
         {"bin/tandrimo", "bin/tandrimo-cli", "share/tandrimo/A_Lire.txt",
          "share/applications/tandrimo.desktop", "share/mime/packages/tandrimo.xml",
          "share/icons/hicolor/scalable/apps/tandrimo.svg",
          "share/icons/hicolor/48x48/apps/tandrimo.png", "share/doc/tandrimo/copyright"})
        QVERIFY2(QFileInfo::exists(prefix + u'/' + QLatin1String(file)), file);
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
    QProcess validate;
    validate.start(validator, {prefix + "/share/applications/tandrimo.desktop"});
    QVERIFY(validate.waitForFinished(30000));
    QCOMPARE(validate.readAllStandardOutput() + validate.readAllStandardError(), QByteArray());
    QCOMPARE(validate.exitCode(), 0);
}

TANDRIMO_TEST(CliTest)
#include "tst_cli.moc"
