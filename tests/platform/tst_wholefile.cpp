#include "platform/wholefile.h"
#include "support/faultyfilecalls.h"
#include "support/testmain.h"

#include <QTest>

#include <optional>

#include <cerrno>

using platform::FaultyFileCalls;
using platform::FileCall;
using platform::ScopedFileCalls;

// The files of the system are read to their end although they tell a size of 0, and with the
// system's own calls: a test's double, failing every open, changes nothing of what they give.
class WholeFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void systemFiles_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("begins");
        QTest::addColumn<bool>("doubled");
        QTest::newRow("a file of /proc, telling 0 bytes")
            << QByteArray("/proc/self/status") << QByteArray("Name:\t") << false;
        QTest::newRow("the same under a failing double")
            << QByteArray("/proc/self/status") << QByteArray("Name:\t") << true;
        QTest::newRow("a missing file")
            << QByteArray("/proc/self/no such file") << QByteArray() << false;
        QTest::newRow("a folder") << QByteArray("/proc/self") << QByteArray() << false;
    }
    void systemFiles()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, begins);
        QFETCH(bool, doubled);
        FaultyFileCalls calls;
        calls.fail(FileCall::Open, EACCES);
        std::optional<ScopedFileCalls> scope;
        if (doubled)
            scope.emplace(calls);
        const QByteArray bytes = platform::readSystemFile(path);
        QCOMPARE(bytes.isEmpty(), begins.isEmpty());
        QVERIFY2(bytes.startsWith(begins), bytes.left(40).constData());
        // The whole file, not a first block: its last line is there.
        if (!begins.isEmpty())
            QVERIFY(bytes.contains("\nnonvoluntary_ctxt_switches:"));
    }
};

TANDRIMO_TEST(WholeFileTest)
#include "tst_wholefile.moc"
