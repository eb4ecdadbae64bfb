#include "project/project.h"
#include "support/testmain.h"

#include <QTest>

#include <utility>

class ProjectFolderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void folders_data();
    void folders();
};

void ProjectFolderTest::folders_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("folder");
    QTest::newRow("absolute") << "/a/b/p.tdm"
                              << "/data/photos"
                              << "/data/photos";
    QTest::newRow("absolute, as written") << "/a/b/p.tdm"
                                          << "/data//x/../y/"
                                          << "/data//x/../y/";
    QTest::newRow("relative") << "/a/b/p.tdm"
                              << "photos"
                              << "/a/b/photos";
    QTest::newRow("relative with a trailing '/'") << "/a/b/p.tdm"
                                                  << "photos/"
                                                  << "/a/b/photos/";
    QTest::newRow("./x") << "/a/b/p.tdm"
                         << "./x"
                         << "/a/b/./x";
    QTest::newRow("../x, not resolved") << "/a/b/p.tdm"
                                        << "../x"
                                        << "/a/b/../x";
    QTest::newRow("a file at the root") << "/p.tdm"
                                        << "x"
                                        << "/x";
    QTest::newRow("a file named relative to the current folder") << "sub/p.tdm"
                                                                 << "x"
                                                                 << "sub/x";
    QTest::newRow("a file without folder") << "p.tdm"
                                           << "x"
                                           << "x";
    QTest::newRow("empty") << "/a/b/p.tdm"
                           << ""
                           << "";
    QTest::newRow("no file name") << ""
                                  << "photos"
                                  << "photos";
    QTest::newRow("no file name, absolute") << ""
                                            << "/data"
                                            << "/data";
}

void ProjectFolderTest::folders()
{
    QFETCH(QString, fileName);
    QFETCH(QString, written);
    QFETCH(QString, folder);
    TProject project;
    project.FileName = fileName;
    project.SrcPath = written;
    project.DestPath = QStringLiteral("/other");
    QCOMPARE(project.sourceFolder(), folder);
    QCOMPARE(project.destinationFolder(), QStringLiteral("/other"));
    std::swap(project.SrcPath, project.DestPath);
    QCOMPARE(project.destinationFolder(), folder);
    // The written texts stay as they were.
    QCOMPARE(project.DestPath, written);
}

TANDRIMO_TEST(ProjectFolderTest)
#include "tst_projectfolder.moc"
