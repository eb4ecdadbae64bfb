#include "support/refreshrecorder.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>

// Hostile entries in a real tree: unreadable file and folder, FIFO, socket, links of every
// kind, names no text can hold, a 255-byte name, a 100-folder path, a sparse file beyond
// 4 GiB. The refresh runs in a child process under a time limit (a FIFO opened by mistake
// would block), without the root override when the tests run as root.

namespace {

const char kJobVariable[] = "TANDRIMO_COMPARE_JOB";

bool writeRaw(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const struct timespec times[2] = {{1'700'000'000, 0}, {1'700'000'000, 0}};
    const bool written = fd >= 0 && ::write(fd, "abc", 3) == 3 && ::futimens(fd, times) == 0;
    return fd >= 0 && ::close(fd) == 0 && written;
}

bool makeSocket(const QByteArray &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound && size_t(path.size()) < sizeof address.sun_path;
}

} // namespace

// The child's side: refreshes the project the job file names and writes each row, the status
// texts, and whether the permission fault took effect (the mode-000 file does not open).
class BadInputJob : public QObject {
    Q_OBJECT

private slots:
    void run()
    {
        const QString job = qEnvironmentVariable(kJobVariable);
        QFile in(job), out(job + ".out");
        QVERIFY(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        const QList<QByteArray> lines = in.readAll().split('\n');
        QLocale::setDefault(QLocale(QLocale::French));
        Fixture f(lines[0], lines[1], true);
        QVERIFY(f.refresh());
        const int fd = ::open(lines[2].constData(), O_RDONLY | O_NONBLOCK);
        out.write(fd < 0 ? "fault\n" : "no fault\n");
        for (int i = 0; i < f.comparison.fileList().count(); ++i)
            out.write("row\t" + f.rows()[i].toUtf8().toPercentEncoding() + '\t' +
                      f.comparison.fileList().row(i).rawFiles.toHex() + '\n');
        for (const QString &status : f.statuses())
            out.write("status\t" + status.toUtf8().toPercentEncoding() + '\n');
    }
};

namespace {
const bool jobRegistered = [] {
    if (qEnvironmentVariableIsSet(kJobVariable))
        testmain::registerTest("BadInputJob", [] { return new BadInputJob; });
    return true;
}();
} // namespace

class BadInputTest : public QObject {
    Q_OBJECT

private slots:
    void realTree()
    {
        TestTree tree;
        // QDir cannot remove names that are not valid UTF-8: rm does, also after a failure.
        const auto removeTree = qScopeGuard([&tree] {
            QProcess::execute("chmod", {"-R", "u+rwx", tree.root()});
            QProcess::execute("rm", {"-rf", tree.path("src"), tree.path("dst")});
        });
        const QByteArray src = QFile::encodeName(tree.path("src")) + '/';
        const QByteArray dst = QFile::encodeName(tree.path("dst")) + '/';
        const auto S = [&src](const QByteArray &name) { return QByteArray(src + name); };
        const QByteArray deep = "deep" + QByteArray("/d").repeated(99) + '/';
        const QByteArray longName = QByteArray(251, 'a') + ".txt";
        for (const QByteArray &root : {src, dst}) {
            QVERIFY(QDir().mkpath(QFile::decodeName(root + deep)));
            for (const char *folder : {"sub.d", "dir\xff.d", "locked.d"})
                QVERIFY(::mkdir(QByteArray(root + folder).constData(), 0755) == 0);
        }
        // On both sides alike: "A jour" proves that the row reached the exact file each side.
        for (const QByteArray &name :
             {QByteArray("plain.txt"), QByteArray("new\nline.txt"), QByteArray("back\\slash.txt"),
              QByteArray("co:lon.txt"), QByteArray("bad\xff.txt"), longName,
              QByteArray(deep + "deep.txt"), QByteArray("dir\xff.d/x.txt"),
              QByteArray("sub.d/in.txt")})
            QVERIFY2(writeRaw(src + name) && writeRaw(dst + name), name.constData());
        for (const char *name : {".profile", "bad\xfe.txt", "README", "fifo-dest.txt",
                                 "unreadable.txt", "locked.d/in.txt"})
            QVERIFY(writeRaw(S(name)));
        for (const QByteArray &root : {src, dst})
            QVERIFY(makeSparseFile(QFile::decodeName(root + "sparse.bin"), 5LL << 30) &&
                    setModifiedNs(QFile::decodeName(root + "sparse.bin"),
                                  1'700'000'000 * 1000'000'000LL));
        QVERIFY(::mkfifo(S("pipe.fifo"), 0644) == 0);
        QVERIFY(::mkfifo(QByteArray(dst + "fifo-dest.txt"), 0644) == 0); // no file: never opened
        QVERIFY(makeSocket(S("sock.sock")));
        for (const auto &[target, name] : {std::pair{"plain.txt", "link.txt"},
                                           {"sub.d", "linkdir.d"},
                                           {"loop.txt", "loop.txt"},
                                           {"missing.txt", "dangling.txt"},
                                           {"pipe.fifo", "linkfifo.txt"}})
            QVERIFY(::symlink(target, S(name)) == 0);
        QVERIFY(::chmod(S("unreadable.txt"), 0) == 0 && ::chmod(S("locked.d"), 0) == 0);

        const QString job = tree.path("job");
        QFile jobFile(job);
        QVERIFY(jobFile.open(QIODevice::WriteOnly));
        jobFile.write(src.chopped(1) + '\n' + dst.chopped(1) + '\n' + S("unreadable.txt"));
        jobFile.close();
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kJobVariable, job);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        const QString self = QCoreApplication::applicationFilePath();
        if (runningAsRoot()) {
            const QString capsh = QStandardPaths::findExecutable("capsh", {"/usr/sbin", "/sbin"});
            if (capsh.isEmpty())
                QSKIP("capsh is needed to drop the root override");
            child.start(capsh, {"--drop=cap_dac_override,cap_dac_read_search", "--", "-c",
                                "exec \"$0\" -class BadInputJob", self});
        } else {
            child.start(self, {"-class", "BadInputJob"});
        }
        if (!child.waitForFinished(120000)) {
            child.kill();
            child.waitForFinished();
            QFAIL("the refresh did not end within its time limit");
        }
        QVERIFY2(child.exitCode() == 0, child.readAll().constData());

        QFile result(job + ".out");
        QVERIFY(result.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = result.readAll().split('\n');
        if (lines[0] != "fault")
            QSKIP("the permission fault did not take effect");
        QStringList rows, statuses;
        for (const QByteArray &line : lines.mid(1)) {
            const QList<QByteArray> parts = line.split('\t');
            const QString text = QString::fromUtf8(QByteArray::fromPercentEncoding(parts.value(1)));
            if (parts[0] == "row")
                rows << text + '|' + parts[2];
            else if (parts[0] == "status")
                statuses << text;
        }
        const QString bad(QChar::ReplacementCharacter), longText(longName), deepText(deep);
        const auto hex = [](const char *raw) { return QByteArray(raw).toHex(); };
        QStringList expected{"0|/.profile|.profile|3 Octets |A copier|",
                             "5|/" + longText + "|.txt|3 Octets |A jour|",
                             "5|/back\\slash.txt|.txt|3 Octets |A jour|",
                             "0|/bad" + bad + ".txt|.txt|3 Octets |A copier|" + hex("/bad\xfe.txt"),
                             "5|/bad" + bad + ".txt|.txt|3 Octets |A jour|" + hex("/bad\xff.txt"),
                             "5|/co:lon.txt|.txt|3 Octets |A jour|",
                             "5|/" + deepText + "deep.txt|.txt|3 Octets |A jour|",
                             "5|/dir" + bad + ".d/x.txt|.txt|3 Octets |A jour|" +
                                 hex("/dir\xff.d/x.txt"),
                             "0|/fifo-dest.txt|.txt|3 Octets |A copier|",
                             "0|/link.txt|.txt|3 Octets |A copier|",
                             "-1|/locked.d/|||Erreur : dossier illisible (accès refusé)|",
                             "5|/new\nline.txt|.txt|3 Octets |A jour|",
                             "5|/plain.txt|.txt|3 Octets |A jour|",
                             "0|/README||3 Octets |A copier|",
                             "5|/sparse.bin|.bin|5,00 GO |A jour|",
                             "5|/sub.d/in.txt|.txt|3 Octets |A jour|",
                             "0|/unreadable.txt|.txt|3 Octets |A copier|"};
        rows.sort();
        expected.sort();
        QCOMPARE(rows, expected);
        QCOMPARE(statuses.constLast(),
                 "6 fichiers à copier / 17 ; liste incomplète : 1 dossier illisible");
        // Folders that were not entered still showed.
        QVERIFY(statuses.contains(tree.path("src/locked.d")));
        QVERIFY(statuses.contains(tree.path("src/linkdir.d")));
    }
};

TANDRIMO_TEST(BadInputTest)
#include "tst_badinput.moc"
