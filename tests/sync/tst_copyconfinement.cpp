#include "copyrunfixture.h"
#include "support/treestate.h"

#include "support/faultyfilecalls.h"
#include "support/testmain.h"

#include <QDir>
#include <QTest>

#include <unistd.h>

using platform::FaultyFileCalls;
using platform::FileCall;

namespace {

// Puts a symbolic link to target in the place of the folder at link, moving the folder aside
// when there is one.
void plantLink(const CopyRunFixture &f, const QString &link, const QString &target)
{
    const QString path = f.tree.path(link);
    if (QFileInfo(path).isDir())
        QVERIFY(QDir().rename(path, path + QStringLiteral("-moved")));
    QVERIFY(::symlink(QFile::encodeName(f.tree.path(target)).constData(),
                      QFile::encodeName(path).constData()) == 0);
}

} // namespace

// The copy run never writes, replaces nor reads anything through a symbolic link below its two
// folders, whenever the link appears: nothing outside them changes, and a row that meets the
// link names it.
class CopyConfinementTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linkToAFolderElsewhereIsNeverWrittenThrough_data();
    void linkToAFolderElsewhereIsNeverWrittenThrough();
    void sourceFolderSwappedForALinkIsNeverReadThrough();
};

void CopyConfinementTest::linkToAFolderElsewhereIsNeverWrittenThrough_data()
{
    QTest::addColumn<bool>("back");       // rows copied from the destination into the source
    QTest::addColumn<FileCall>("call");   // the link is planted just before it; Mkdir: at once
    QTest::addColumn<QByteArray>("part"); // the path that call names
    QTest::addColumn<bool>("named");      // every row names the link in its error
    QTest::newRow("there from the start") << false << FileCall::Mkdir << QByteArray() << true;
    QTest::newRow("planted once the folder is open")
        << false << FileCall::Open << QByteArray("src/sub/b.txt") << false;
    QTest::newRow("planted before a copy takes its name")
        << false << FileCall::Link << QByteArray("c.txt") << false;
    QTest::newRow("copied back into a source link")
        << true << FileCall::Mkdir << QByteArray() << true;
}

void CopyConfinementTest::linkToAFolderElsewhereIsNeverWrittenThrough()
{
    QFETCH(bool, back);
    QFETCH(FileCall, call);
    QFETCH(QByteArray, part);
    QFETCH(bool, named);
    CopyRunFixture f;
    const QString from = back ? QStringLiteral("dest") : QStringLiteral("src");
    const QString to = back ? QStringLiteral("src") : QStringLiteral("dest");
    f.write(QStringLiteral("outside/b.txt"), "outside, from 2000", 24 * 365 * 86400);
    for (const char *name : {"b.txt", "c.txt", "d.txt"}) {
        f.write(from + u"/sub/" + QLatin1String(name), "new");
        f.addRow(u"/sub/" + QLatin1String(name), back ? StatusToCopyBack : StatusToCopy);
    }
    f.write(to + u"/sub/b.txt", "old", 3600);
    const TreeState outside = TreeState::capture(f.tree.path(QStringLiteral("outside")));
    f.settings.commitFiles = 1;
    f.settings.commitInBackground = false;
    FaultyFileCalls calls;
    const QString link = to + u"/sub";
    if (call == FileCall::Mkdir)
        plantLink(f, link, QStringLiteral("outside"));
    else
        calls.before(call, part, [&] { plantLink(f, link, QStringLiteral("outside")); });

    QCOMPARE(f.run(&calls), CopyRunEnd::Completed);

    QCOMPARE(
        TreeState::changes(outside, TreeState::capture(f.tree.path(QStringLiteral("outside")))),
        QStringList());
    QCOMPARE(f.tree.read(QStringLiteral("outside/b.txt")), QByteArray("outside, from 2000"));
    QCOMPARE(f.temporaries(), QStringList());
    for (int row = 0; named && row < 3; ++row) {
        const QString shown = f.host.texts(row).last();
        QVERIFY2(
            shown.startsWith(u"Erreur : le dossier « " + f.tree.path(link) + u" » est un lien"),
            qPrintable(shown));
    }
}

// A source sub-folder swapped for a link after the listing: the files behind the link, which
// the user may not even be allowed to show, never reach the destination.
void CopyConfinementTest::sourceFolderSwappedForALinkIsNeverReadThrough()
{
    CopyRunFixture f;
    f.write(QStringLiteral("src/sub/x.txt"), "listed");
    f.write(QStringLiteral("secret/x.txt"), "secret");
    f.addRow(QStringLiteral("/sub/x.txt"));
    plantLink(f, QStringLiteral("src/sub"), QStringLiteral("secret"));

    QCOMPARE(f.run(), CopyRunEnd::Completed);

    QVERIFY(f.host.texts(0).last().contains(u"lien symbolique"));
    QCOMPARE(QDir(f.dest).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

TANDRIMO_TEST(CopyConfinementTest)
#include "tst_copyconfinement.moc"
