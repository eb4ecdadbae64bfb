#include "platform/atomicwrite.h"
#include "platform/iniescape.h"
#include "platform/inifile.h"
#include "support/testmain.h"
#include "support/testtree.h"

#include <QDir>
#include <QFile>
#include <QTest>

using platform::escapedIniValue;
using platform::IniFile;

class IniFileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsByProfileRules_data();
    void readsByProfileRules();
    void readsIntegers_data();
    void readsIntegers();
    void listsKeyNamesInFileOrder();
    void writesInPlaceKeepingForeignLines();
    void addsKeysAndSections_data();
    void addsKeysAndSections();
    void erasesEveryDuplicateOfASection();
    void replacesASectionInOnePass();
    void refusesToReplaceWhatItCannotWrite_data();
    void refusesToReplaceWhatItCannotWrite();
    void keepsBinaryForeignBytes();
    void writesThroughASymbolicLink();
    void refusesAFileTooLargeToParse();
};

void IniFileTest::readsByProfileRules_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString dflt = QStringLiteral("<default>");
    QTest::newRow("plain") << QByteArray("[A]\nk=v\n") << "A"
                           << "k"
                           << "v";
    QTest::newRow("case of names") << QByteArray("[Files]\nFileSpy=1\n") << "fILES"
                                   << "filespy"
                                   << "1";
    QTest::newRow("spaces trimmed") << QByteArray("  [ A ]  \n  k  =  v w  \n") << "A"
                                    << "k"
                                    << "v w";
    QTest::newRow("crlf") << QByteArray("[A]\r\nk=v\r\n") << "A"
                          << "k"
                          << "v";
    QTest::newRow("first key wins") << QByteArray("[A]\nk=1\nK=2\n") << "A"
                                    << "k"
                                    << "1";
    QTest::newRow("first section wins") << QByteArray("[A]\nx=1\n[a]\nk=2\n") << "A"
                                        << "k" << dflt;
    QTest::newRow("comment is no key") << QByteArray("[A]\n;k=1\n") << "A"
                                       << ";k" << dflt;
    QTest::newRow("key before any section") << QByteArray("k=1\n[A]\n") << "A"
                                            << "k" << dflt;
    QTest::newRow("value with equals") << QByteArray("[A]\nk=a=b\n") << "A"
                                       << "k"
                                       << "a=b";
    QTest::newRow("cut last line") << QByteArray("[A]\nk=va") << "A"
                                   << "k"
                                   << "va";
    QTest::newRow("cut section header") << QByteArray("[A\nk=1\n") << "A"
                                        << "k"
                                        << "1";
    QTest::newRow("line without equals") << QByteArray("[A]\nk\n") << "A"
                                         << "k"
                                         << "";
    QTest::newRow("missing section") << QByteArray("[B]\nk=1\n") << "A"
                                     << "k" << dflt;
    QTest::newRow("empty file") << QByteArray() << "A"
                                << "k" << dflt;
    QTest::newRow("garbage") << QByteArray("\xff\xfe\x00\x01[[[=\n\x80=\x81\n", 14) << "A"
                             << "k" << dflt;
    QTest::newRow("utf8 names") << QByteArray("[Élan]\nclé=été\n") << "élan"
                                << "CLÉ"
                                << "été";
    // Only a value in exactly the form the program writes is decoded.
    const auto value = [](const char *name, const QByteArray &stored, const QString &read) {
        QTest::newRow(name) << "[A]\nk=" + stored + "\n"
                            << "A"
                            << "k" << read;
    };
    value("escaped line break", "%a%0Ab", "a\nb");
    value("escaped spaces and percent", "%%20%25%20", " % ");
    value("percent of a hand-written value", "%41", "%41");
    value("escape of a value that needs none", "%%41", "%%41");
    value("malformed escape", "%%zz", "%%zz");
    value("lower-case escape", "%%2a", "%%2a");
}

void IniFileTest::readsByProfileRules()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TestTree tree;
    const IniFile ini = IniFile::load(tree.writeFile(QStringLiteral("a.ini"), content));
    QCOMPARE(ini.readString(section, key, QStringLiteral("<default>")), expected);
}

void IniFileTest::readsIntegers_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("decimal") << "2" << 2;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("hex") << "0x1F" << 31;
    QTest::newRow("hex upper") << "0X0" << 0;
    QTest::newRow("hex without digits") << "0x" << 0;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("leading digits") << "12abc" << 12;
    QTest::newRow("not a number") << "yes" << 77;
    QTest::newRow("empty") << "" << 77;
    QTest::newRow("saturates") << "99999999999999999999" << 2147483647;
    QTest::newRow("saturates negative") << "-99999999999999999999" << int(-2147483647 - 1);
    QTest::newRow("plus sign") << "+1" << 1;
    QTest::newRow("two signs") << "+-1" << 77;
    QTest::newRow("sign alone") << "-" << 77;
    QTest::newRow("negative hex") << "-0x10" << -16;
    QTest::newRow("hex not a digit") << "0xg" << 0;
    QTest::newRow("leading space") << " 1" << 77;
    QTest::newRow("trailing letter") << "1x" << 1;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("one past largest") << "2147483648" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("hex past largest") << "0xFFFFFFFF" << 2147483647;
    QTest::newRow("fullwidth digit") << "\uFF11" << 77;
}

void IniFileTest::readsIntegers()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    TestTree tree;
    const IniFile ini = IniFile::load(tree.writeFile(
        QStringLiteral("a.ini"), "[A]\nk=" + escapedIniValue(value).toUtf8() + "\n"));
    QCOMPARE(ini.readInteger(QStringLiteral("A"), QStringLiteral("k"), 77), expected);
    QCOMPARE(ini.readInteger(QStringLiteral("A"), QStringLiteral("missing"), 77), 77);
}

void IniFileTest::listsKeyNamesInFileOrder()
{
    TestTree tree;
    const IniFile ini = IniFile::load(tree.writeFile(
        QStringLiteral("a.ini"),
        "[L]\n.tmp=#\n; note\n\n.BAK=#\n/a=b.txt=#\n=orphan\nplain\n[l]\nlater=#\n")); // NOLINT
    QCOMPARE(ini.keyNames(QStringLiteral("l")),
             QStringList({QStringLiteral(".tmp"), QStringLiteral(".BAK"), QStringLiteral("/a"),
                          QStringLiteral("plain")}));
    QVERIFY(ini.keyNames(QStringLiteral("none")).isEmpty());
}

void IniFileTest::writesInPlaceKeepingForeignLines()
{
    TestTree tree;
    const QByteArray before = "; mine\n[Other]\nX = keep me \n\n[Directories]\nSrcRelPath=/a\n"
                              "Extra=1\n[Tail]\ny=2";
    const QString path = tree.writeFile(QStringLiteral("a.ini"), before);
    IniFile ini = IniFile::load(path);
    ini.writeString(QStringLiteral("directories"), QStringLiteral("SRCRELPATH"),
                    QStringLiteral("/b"));
    QVERIFY(ini.save().ok());
    QCOMPARE(tree.read(QStringLiteral("a.ini")),
             QByteArray("; mine\n[Other]\nX = keep me \n\n[Directories]\nSRCRELPATH=/b\n"
                        "Extra=1\n[Tail]\ny=2\n"));
}

void IniFileTest::addsKeysAndSections_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << QByteArray("[S]\nk=v\n");
    QTest::newRow("new section after others")
        << QByteArray("[A]\nx=1\n") << QByteArray("[A]\nx=1\n\n[S]\nk=v\n");
    QTest::newRow("key before the blank line")
        << QByteArray("[S]\nx=1\n\n[B]\n") << QByteArray("[S]\nx=1\nk=v\n\n[B]\n");
    QTest::newRow("key in an empty section")
        << QByteArray("[S]\n[B]\n") << QByteArray("[S]\nk=v\n[B]\n");
}

void IniFileTest::addsKeysAndSections()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    TestTree tree;
    const QString path = tree.path(QStringLiteral("a.ini"));
    if (!before.isEmpty())
        tree.writeFile(QStringLiteral("a.ini"), before);
    QVERIFY(platform::writeProfileString(path, QStringLiteral("S"), QStringLiteral("k"),
                                         QStringLiteral("v"))
                .ok());
    QCOMPARE(tree.read(QStringLiteral("a.ini")), after);
}

void IniFileTest::erasesEveryDuplicateOfASection()
{
    TestTree tree;
    const QString path =
        tree.writeFile(QStringLiteral("a.ini"), "[L]\na=#\n\n[Keep]\nk=1\n[l]\nb=#\n[Last]\nz=0\n");
    IniFile ini = IniFile::load(path);
    ini.eraseSection(QStringLiteral("L"));
    ini.writeString(QStringLiteral("L"), QStringLiteral("c"), QStringLiteral("#"));
    QVERIFY(ini.save().ok());
    QCOMPARE(tree.read(QStringLiteral("a.ini")),
             QByteArray("[Keep]\nk=1\n[Last]\nz=0\n\n[L]\nc=#\n"));
}

void IniFileTest::replacesASectionInOnePass()
{
    TestTree tree;
    IniFile ini = IniFile::load(
        tree.writeFile(QStringLiteral("a.ini"), "[L]\na=#\n[Keep]\nk=1\n[l]\nb=#\n[Gone]\n"));
    ini.replaceSection(QStringLiteral("Gone"), {}, QStringLiteral("#"));
    // A key written twice keeps its first place and its last spelling, as with writeString().
    ini.replaceSection(QStringLiteral("L"), {"é", "x", "É"}, QStringLiteral("#"));
    QCOMPARE(ini.toBytes(), QByteArray("[Keep]\nk=1\n\n[L]\nÉ=#\nx=#\n"));
}

void IniFileTest::refusesToReplaceWhatItCannotWrite_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("read-only file") << "readonly";
    QTest::newRow("missing folder") << "nofolder";
    QTest::newRow("a folder") << "folder";
}

void IniFileTest::refusesToReplaceWhatItCannotWrite()
{
    QFETCH(QString, kind);
    TestTree tree;
    const QByteArray before = "[A]\nk=1\n";
    QString path = tree.writeFile(QStringLiteral("a.ini"), before);
    if (kind == u"readonly")
        QVERIFY(tree.setMode(QStringLiteral("a.ini"), 0444));
    else if (kind == u"nofolder")
        path = tree.path(QStringLiteral("missing/a.ini"));
    else
        path = tree.makeFolder(QStringLiteral("dir.ini"));

    const platform::IoStatus status = platform::writeProfileString(
        path, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
    QVERIFY(!status.ok());
    QVERIFY(!status.reason().isEmpty());
    QCOMPARE(tree.read(QStringLiteral("a.ini")), before);
    // No temporary file is left behind.
    const QStringList left =
        QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : left)
        QVERIFY2(!name.startsWith(QLatin1String(platform::kTempPrefix)), qPrintable(name));
}

void IniFileTest::keepsBinaryForeignBytes()
{
    TestTree tree;
    const QByteArray foreign("[Bin]\n\xff\xfe=\x00\x80\x81\n\x01\x02\n", 16);
    const QString path = tree.writeFile(QStringLiteral("a.ini"), foreign);
    QVERIFY(platform::writeProfileString(path, QStringLiteral("S"), QStringLiteral("k"),
                                         QStringLiteral("v"))
                .ok());
    QCOMPARE(tree.read(QStringLiteral("a.ini")), foreign + "\n[S]\nk=v\n");
}

void IniFileTest::writesThroughASymbolicLink()
{
    TestTree tree;
    tree.writeFile(QStringLiteral("real.ini"), "[A]\n");
    QVERIFY(
        QFile::link(tree.path(QStringLiteral("real.ini")), tree.path(QStringLiteral("link.ini"))));
    QVERIFY(platform::writeProfileString(tree.path(QStringLiteral("link.ini")), QStringLiteral("A"),
                                         QStringLiteral("k"), QStringLiteral("1"))
                .ok());
    QVERIFY(QFileInfo(tree.path(QStringLiteral("link.ini"))).isSymLink());
    QCOMPARE(tree.read(QStringLiteral("real.ini")), QByteArray("[A]\nk=1\n"));
}

void IniFileTest::refusesAFileTooLargeToParse()
{
    TestTree tree;
    const QString path = tree.path(QStringLiteral("big.ini"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("[A]\nk=1\n") > 0);
        QVERIFY(file.resize(IniFile::kMaxFileSize + 1));
    }
    const IniFile ini = IniFile::load(path);
    QCOMPARE(ini.readString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("d")),
             QStringLiteral("d"));
    QVERIFY(!ini.save().ok());
    QCOMPARE(QFileInfo(path).size(), IniFile::kMaxFileSize + 1);
}

TANDRIMO_TEST(IniFileTest)
#include "tst_inifile.moc"
