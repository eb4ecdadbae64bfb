#include "platform/deletefile.h"
#include "support/childprocess.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Path= of a .trashinfo record as a file manager reads it: the [Trash Info] group first, the
// value URL-escaped, so that a byte outside letters, digits, "-._~/" and %XX makes it malformed.
std::optional<QByteArray> trashInfoPath(const QByteArray &record)
{
    const QList<QByteArray> lines = record.split('\n');
    if (lines.size() != 4 || lines[0] != "[Trash Info]" || !lines[1].startsWith("Path=") ||
        !lines[2].startsWith("DeletionDate=") ||
        !QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), Qt::ISODate).isValid())
        return std::nullopt;
    QByteArray path;
    for (qsizetype i = 5; i < lines[1].size(); ++i) {
        const char c = lines[1][i];
        const QByteArray hex = lines[1].mid(i + 1, 2);
        if (c == '%' && hex.size() == 2 && std::isxdigit(uchar(hex[0])) &&
            std::isxdigit(uchar(hex[1]))) {
            path += char(hex.toInt(nullptr, 16));
            i += 2;
        } else if ((std::isalnum(uchar(c)) && uchar(c) < 0x80) ||
                   QByteArrayView("-._~/").contains(c)) {
            path += c;
        } else {
            return std::nullopt;
        }
    }
    return path;
}

// Names as the folder holds them: QDir drops those that are not UTF-8.
QList<QByteArray> entries(const QByteArray &folder)
{
    QList<QByteArray> names;
    DIR *dir = ::opendir(folder.constData());
    while (const dirent *entry = dir != nullptr ? ::readdir(dir) : nullptr) {
        if (qstrcmp(entry->d_name, ".") != 0 && qstrcmp(entry->d_name, "..") != 0)
            names << entry->d_name;
    }
    if (dir != nullptr)
        ::closedir(dir);
    return names;
}

} // namespace

// The home trash of a temporary XDG_DATA_HOME, on the test tree's own volume.
class TrashTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_tree.path("data")));
    }
    void cleanup() { qputenv("XDG_DATA_HOME", m_saved); }
    void recordRestoresTheExactName_data();
    void recordRestoresTheExactName();
    void refusedTrashLeavesTheFile_data();
    void refusedTrashLeavesTheFile();

private:
    TestTree m_tree;
    QByteArray m_trash = QFile::encodeName(m_tree.path("data/Trash"));
    QByteArray m_saved;
};

void TrashTest::recordRestoresTheExactName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("percent escape") << QByteArray("a%41b.txt");
    QTest::newRow("line break") << QByteArray("b\nErreur : ligne.txt");
    QTest::newRow("spaces") << QByteArray(" e f .txt");
    QTest::newRow("not UTF-8") << QByteArray("bad\xff\xfe.txt");
    QTest::newRow("signs and accents") << QByteArray("été#?&=+\r.txt");
    QTest::newRow("longest name") << QByteArray(255, 'n');
}

// The record's Path= decodes to the file's exact bytes; files/ holds it under the record's
// name; the trash's folders are the user's alone.
void TrashTest::recordRestoresTheExactName()
{
    QFETCH(QByteArray, name);
    const QByteArray path = QFile::encodeName(m_tree.makeFolder("sous dossier%")) + '/' + name;
    ::close(::open(path.constData(), O_WRONLY | O_CREAT, 0644));
    const auto removeAll = qScopeGuard([&] { // QDir cannot remove a name that is not UTF-8
        ::unlink(path.constData());
        for (const QByteArray sub : {"/files/", "/info/"}) {
            for (const QByteArray &entry : entries(m_trash + sub))
                ::unlink(QByteArray(m_trash + sub + entry).constData());
        }
    });
    const platform::IoStatus status = platform::ShellDeleteFile(path, true);
    QVERIFY2(status.ok(), qPrintable(status.reason()));

    struct stat st {};
    QVERIFY(::lstat(path.constData(), &st) != 0);
    const QList<QByteArray> records = entries(m_trash + "/info");
    QCOMPARE(records.size(), 1);
    QVERIFY(records[0].endsWith(".trashinfo") && records[0].size() <= 255);
    QFile record;
    QVERIFY(record.open(::open(QByteArray(m_trash + "/info/" + records[0]).constData(), O_RDONLY),
                        QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QCOMPARE(trashInfoPath(record.readAll()).value_or("malformed"), path);
    QCOMPARE(entries(m_trash + "/files"), QList<QByteArray>{records[0].chopped(10)});
    for (const char *folder : {"", "/files", "/info"}) {
        QVERIFY(::stat(QByteArray(m_trash + folder).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
    }
}

void TrashTest::refusedTrashLeavesTheFile_data()
{
    QTest::addColumn<QByteArray>("locked"); // made read-only
    QTest::newRow("info/ not writable") << QByteArray("/info");
    QTest::newRow("files/ not writable") << QByteArray("/files");
}

// The trash cannot take the file: the failure says why, the file stays in place, and no record
// is left that would restore nothing.
void TrashTest::refusedTrashLeavesTheFile()
{
    QFETCH(QByteArray, locked);
    const QByteArray path = QFile::encodeName(m_tree.writeFile("src/a.txt", "kept"));
    m_tree.makeFolder("data/Trash/files");
    m_tree.makeFolder("data/Trash/info");
    const QByteArray folder = m_trash + locked;
    QVERIFY(::chmod(folder.constData(), 0500) == 0);
    const auto unlock = qScopeGuard([&] { ::chmod(folder.constData(), 0700); });
    const ChildOutcome child = runInChild([&]() -> QByteArray {
        if (!becomeUnprivileged(m_tree.root()) || ::access(folder.constData(), W_OK) == 0)
            return "no fault";
        return platform::ShellDeleteFile(path, true).explanation().toUtf8();
    });
    QVERIFY2(child.exited, "the trash did not answer within its time limit");
    if (child.output == "no fault")
        QSKIP("the permission fault could not be made as another user");
    QCOMPARE(child.output, QByteArray("accès refusé"));
    QCOMPARE(m_tree.read("src/a.txt"), QByteArray("kept"));
    QCOMPARE(entries(m_trash + "/files") + entries(m_trash + "/info"), QList<QByteArray>());
}

TANDRIMO_TEST(TrashTest)
#include "tst_trash.moc"
