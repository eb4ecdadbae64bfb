#include "platform/runlock.h"
#include "support/childprocess.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using platform::RunLock;
using State = RunLock::State;

namespace {

// The state another process finds when it asks for the lock of folder.
State stateInChild(const QString &folder)
{
    const QByteArray found = runInChild([&] {
                                 return QByteArray::number(int(RunLock::acquire(folder).state()));
                             }).output;
    return found.isEmpty() ? State::Unavailable : State(found.toInt());
}

std::optional<QByteArray> environment(const char *name)
{
    return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
}

void restoreEnvironment(const char *name, const std::optional<QByteArray> &value)
{
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

QString lockFileOf(const QString &lockFolder, const QString &destination)
{
    struct stat st {};
    if (::stat(QFile::encodeName(destination).constData(), &st) != 0)
        return QString();
    return QStringLiteral("%1/dest-%2-%3.lock").arg(lockFolder).arg(st.st_dev).arg(st.st_ino);
}

} // namespace

// The destination's lock, taken on real folders with the lock folder in a temporary tree.
class RunLockTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void namesOfOneFolderShareItsLock_data();
    void namesOfOneFolderShareItsLock();
    void releasedWhenTheHolderGoes();
    void releasedWhenTheHolderIsKilled();
    void unusableLockFolder_data();
    void unusableLockFolder();
    void lockFolderWithoutRuntimeFolder_data();
    void lockFolderWithoutRuntimeFolder();

private:
    std::unique_ptr<TestTree> m_tree;
    std::optional<QByteArray> m_runtime; // the environment's, restored at the end
    std::optional<QByteArray> m_temporary;
};

void RunLockTest::initTestCase()
{
    m_runtime = environment("XDG_RUNTIME_DIR");
    m_temporary = environment("TMPDIR");
}

void RunLockTest::cleanupTestCase()
{
    restoreEnvironment("XDG_RUNTIME_DIR", m_runtime);
    restoreEnvironment("TMPDIR", m_temporary);
}

void RunLockTest::init()
{
    m_tree = std::make_unique<TestTree>();
    m_tree->makeFolder("dst");
    m_tree->makeFolder("other");
    QVERIFY(QFile::link(m_tree->path("dst"), m_tree->path("link")));
    qputenv("XDG_RUNTIME_DIR", m_tree->makeFolder("run").toUtf8());
    qputenv("TMPDIR", m_tree->makeFolder("tmp").toUtf8());
}

void RunLockTest::namesOfOneFolderShareItsLock_data()
{
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("shared");
    QTest::newRow("same name") << "dst"
                               << "dst" << true;
    QTest::newRow("trailing slash") << "dst"
                                    << "dst/" << true;
    QTest::newRow("link to it") << "link"
                                << "dst" << true;
    QTest::newRow("another folder") << "dst"
                                    << "other" << false;
}

void RunLockTest::namesOfOneFolderShareItsLock()
{
    QFETCH(QString, held);
    QFETCH(QString, asked);
    QFETCH(bool, shared);
    const State found = shared ? State::HeldElsewhere : State::Held;
    const RunLock lock = RunLock::acquire(m_tree->path(held));
    QCOMPARE(lock.state(), State::Held);
    QVERIFY(QFileInfo(lockFileOf(m_tree->path("run/tandrimo"), m_tree->path("dst"))).isFile());
    QCOMPARE(stateInChild(m_tree->path(asked)), found);
    // A second lock in this process conflicts too: the window may start a run beside another.
    QCOMPARE(RunLock::acquire(m_tree->path(asked)).state(), found);
}

// A lock moved away stays held; one assigned over is released.
void RunLockTest::releasedWhenTheHolderGoes()
{
    std::optional<RunLock> lock = RunLock::acquire(m_tree->path("dst"));
    QCOMPARE(lock->state(), State::Held);
    RunLock moved = std::move(*lock);
    lock.reset();
    QCOMPARE(stateInChild(m_tree->path("dst")), State::HeldElsewhere);
    moved = RunLock::acquire(m_tree->path("other"));
    QCOMPARE(moved.state(), State::Held);
    QCOMPARE(stateInChild(m_tree->path("dst")), State::Held);
}

// The kernel releases the lock of a process that ends without a word.
void RunLockTest::releasedWhenTheHolderIsKilled()
{
    const ChildOutcome child = runInChild([this] {
        const RunLock lock = RunLock::acquire(m_tree->path("dst"));
        if (lock.state() == State::Held)
            ::raise(SIGKILL);
        return QByteArray("not held");
    });
    QVERIFY2(child.signal == SIGKILL, child.output.constData());
    QCOMPARE(RunLock::acquire(m_tree->path("dst")).state(), State::Held);
}

void RunLockTest::unusableLockFolder_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<int>("error");
    QTest::newRow("runtime folder is a file") << "runtime file" << ENOTDIR;
    QTest::newRow("lock folder is a file") << "file" << ENOTDIR;
    QTest::newRow("lock folder is a link") << "link" << ENOTDIR;
    QTest::newRow("lock folder open to others") << "0755" << EACCES;
    QTest::newRow("lock folder of another user, open to all") << "nobody" << EACCES;
    QTest::newRow("destination missing") << "no destination" << ENOENT;
}

// A lock folder that another user could reach is never used: the destination folder's own lock
// guards the run alone then.
void RunLockTest::unusableLockFolder()
{
    QFETCH(QString, setUp);
    QFETCH(int, error);
    QString destination = m_tree->path("dst");
    if (setUp == u"runtime file") {
        qputenv("XDG_RUNTIME_DIR", m_tree->writeFile("runfile").toUtf8());
    } else if (setUp == u"file") {
        m_tree->writeFile("run/tandrimo");
    } else if (setUp == u"link") {
        m_tree->makeFolder("mine");
        QVERIFY(m_tree->setMode("mine", 0700));
        QVERIFY(QFile::link(m_tree->path("mine"), m_tree->path("run/tandrimo")));
    } else if (setUp == u"0755" || setUp == u"nobody") {
        m_tree->makeFolder("run/tandrimo");
        QVERIFY(m_tree->setMode("run/tandrimo", setUp == u"0755" ? 0755 : 0777));
        if (setUp == u"nobody" &&
            ::chown(QFile::encodeName(m_tree->path("run/tandrimo")).constData(), 65534, 65534) != 0)
            QSKIP("the folder cannot be given to another user (needs root)");
    } else {
        destination = m_tree->path("missing");
    }
    const RunLock lock = RunLock::acquire(destination);
    if (error == ENOENT) {
        QCOMPARE(lock.state(), State::Unavailable);
        QCOMPARE(lock.status().error(), error);
        return;
    }
    QCOMPARE(lock.state(), State::Held);
    QCOMPARE(stateInChild(destination), State::HeldElsewhere);
}

void RunLockTest::lockFolderWithoutRuntimeFolder_data()
{
    QTest::addColumn<QByteArray>("runtime");
    QTest::addColumn<int>("mask");
    QTest::newRow("unset") << QByteArray() << 022;
    QTest::newRow("relative, ignored") << QByteArray("run") << 022;
    QTest::newRow("umask without the owner's bits") << QByteArray() << 0777;
}

// Without a runtime folder the locks lie in a folder of the user's own under TMPDIR.
void RunLockTest::lockFolderWithoutRuntimeFolder()
{
    QFETCH(QByteArray, runtime);
    QFETCH(int, mask);
    if (runtime.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", runtime);
    // A relative runtime folder would be found from the working folder.
    const QString workingFolder = QDir::currentPath();
    QDir::setCurrent(m_tree->root());
    const mode_t oldMask = ::umask(mode_t(mask));
    const RunLock lock = RunLock::acquire(m_tree->path("dst"));
    ::umask(oldMask);
    QDir::setCurrent(workingFolder);
    QCOMPARE(lock.state(), State::Held);
    const QString folder = m_tree->path(QStringLiteral("tmp/tandrimo-%1").arg(::geteuid()));
    struct stat st {};
    QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &st), 0);
    QVERIFY(S_ISDIR(st.st_mode));
    QCOMPARE(st.st_mode & 07777, mode_t(0700));
    QCOMPARE(::stat(QFile::encodeName(lockFileOf(folder, m_tree->path("dst"))).constData(), &st),
             0);
    QVERIFY(S_ISREG(st.st_mode) && (st.st_mode & S_IRUSR) != 0);
    QCOMPARE(stateInChild(m_tree->path("dst")), State::HeldElsewhere);
    QVERIFY(!QFileInfo::exists(m_tree->path("run/tandrimo")));
}

TANDRIMO_TEST(RunLockTest)
#include "tst_runlock.moc"
