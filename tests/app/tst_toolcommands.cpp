#include "app/toolcommands.h"
#include "filelist/filelistprinter.h"
#include "filelist/filelistview.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>

// Printing and the desktop's tools, through the window's commands.
class ToolCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { m_tree = std::make_unique<TestTree>(); }
    void printsEveryRowOnItsPages_data();
    void printsEveryRowOnItsPages();
    void exportWritesEveryRow_data();
    void exportWritesEveryRow();
    void desktopToolStartsTheInstalledProgram_data();
    void desktopToolStartsTheInstalledProgram();

private:
    // The window over a project of that many source files.
    std::unique_ptr<WindowRun> window(int files);
    // Shows the next dialog to the script, and answers it.
    void script(WindowRun &run, const std::function<void(QDialog &)> &body, int answer);
    std::unique_ptr<TestTree> m_tree;
};

std::unique_ptr<WindowRun> ToolCommandsTest::window(int files)
{
    for (int i = 0; i < files; ++i)
        m_tree->writeFile(QStringLiteral("src/f%1.txt").arg(i, 3, 10, QLatin1Char('0')));
    const QString project = m_tree->writeFile(
        QStringLiteral("p.tdm"), "[Directories]\nSrcRelPath=" + m_tree->path("src").toUtf8() +
                                     "\nDestRelPath=" + m_tree->makeFolder("dst").toUtf8() +
                                     "\nPathRecursive=0\n");
    auto run = std::make_unique<WindowRun>(m_tree->path(QStringLiteral("s.ini")));
    if (files > 0)
        run->main().projects().ProjectLoad(project);
    return run;
}

void ToolCommandsTest::script(WindowRun &run, const std::function<void(QDialog &)> &body,
                              int answer)
{
    run.main().tools().setModalRunner([body, answer](QDialog &dialog) {
        body(dialog);
        return answer;
    });
}

void ToolCommandsTest::printsEveryRowOnItsPages_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("500 rows, one selected") << 500 << true;
    QTest::newRow("print dialog cancelled") << 3 << false;
}

// The printout and the preview hold every row, whatever the selection, on the same pages.
void ToolCommandsTest::printsEveryRowOnItsPages()
{
    QFETCH(int, rows);
    QFETCH(bool, confirmed);
    const auto run = window(rows);
    QCOMPARE(run->main().comparison().fileList().count(), rows);
    run->main().fileListView()->selectRow(0);
    const QString pdf = m_tree->path(QStringLiteral("list.pdf"));
    int perPage = 0;
    script(
        *run,
        [&](QDialog &dialog) {
            QPrinter *printer = static_cast<QPrintDialog &>(dialog).printer();
            printer->setOutputFileName(pdf);
            perPage = FileListPrinter(*run->main().fileListView()->model()).rowsPerPage(*printer);
        },
        confirmed ? QDialog::Accepted : QDialog::Rejected);
    run->trigger(Command::ActAppPrint);
    QCOMPARE(QFile::exists(pdf), confirmed);
    if (!confirmed)
        return;
    // About 80 lines of 8 points fit on a page.
    QVERIFY2(perPage > 50 && perPage < 120, qPrintable(QString::number(perPage)));
    const qsizetype pages = QString::fromLatin1(m_tree->read("list.pdf"))
                                .count(QRegularExpression("/Type\\s*/Page\\b"));
    QCOMPARE(pages, (rows + perPage - 1) / perPage);

    int previewed = 0;
    script(
        *run,
        [&](QDialog &dialog) {
            auto *preview = dialog.findChild<QPrintPreviewWidget *>();
            preview->updatePreview();
            previewed = preview->pageCount();
        },
        QDialog::Accepted);
    run->trigger(Command::ActAppPrintPreview);
    QCOMPARE(previewed, pages);
}

void ToolCommandsTest::exportWritesEveryRow_data()
{
    QTest::addColumn<QString>("chosen"); // empty: the dialog cancelled
    QTest::addColumn<bool>("written");
    QTest::newRow("written") << "list.csv" << true;
    QTest::newRow("folder missing") << "gone/list.csv" << false;
    QTest::newRow("cancelled") << "" << false;
}

// The file holds a header and every row; a write that fails says so in a box.
void ToolCommandsTest::exportWritesEveryRow()
{
    QFETCH(QString, chosen);
    QFETCH(bool, written);
    const auto run = window(3);
    const QString path = chosen.isEmpty() ? QString() : m_tree->path(chosen);
    run->dialogs.chooseFile(path);
    run->trigger(Command::ActAppExportList);
    QCOMPARE(run->dialogs.lastSuffix, QStringLiteral("csv"));
    const QByteArray csv = m_tree->read(chosen);
    QCOMPARE(csv.count("\r\n"), written ? 4 : 0);
    const bool failed = !written && !chosen.isEmpty();
    QCOMPARE(run->dialogs.boxes().size(), int(failed));
    if (failed)
        QVERIFY(run->dialogs.boxes().first().text.contains(path));
}

void ToolCommandsTest::desktopToolStartsTheInstalledProgram_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("arguments");
    QTest::newRow("connect") << int(Command::ActWinNetworkConnect) << "nautilus"
                             << "other-locations:///";
    QTest::newRow("disconnect, another file manager")
        << int(Command::ActWinNetworkDisconnect) << "dolphin"
        << "remote:/";
    QTest::newRow("search") << int(Command::ActWinFileSearch) << "catfish"
                            << "--path=/";
    QTest::newRow("format") << int(Command::ActWinFormatFloppy) << "gnome-disks"
                            << "";
    QTest::newRow("nothing installed") << int(Command::ActWinFileSearch) << ""
                                       << "";
}

// The first candidate found runs with its fixed arguments; none installed, nothing shows.
void ToolCommandsTest::desktopToolStartsTheInstalledProgram()
{
    QFETCH(int, command);
    QFETCH(QString, installed);
    QFETCH(QString, arguments);
    const QString record = m_tree->path(QStringLiteral("started"));
    if (!installed.isEmpty()) {
        const QString program = m_tree->writeFile(
            u"bin/" + installed, "#!/bin/sh\necho \"$@\" > '" + record.toUtf8() + "'\n");
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", m_tree->makeFolder(QStringLiteral("bin")).toUtf8());
    const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
    const auto run = window(0);
    run->trigger(Command(command));
    QVERIFY(run->dialogs.boxes().isEmpty());
    if (installed.isEmpty())
        return;
    QTRY_VERIFY(!m_tree->read(QStringLiteral("started")).isEmpty());
    QCOMPARE(m_tree->read(QStringLiteral("started")), arguments.toUtf8() + '\n');
}

TANDRIMO_TEST(ToolCommandsTest)
#include "tst_toolcommands.moc"
