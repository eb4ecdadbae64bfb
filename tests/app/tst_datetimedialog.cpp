#include "app/toolcommands.h"
#include "datetime/clockface.h"
#include "filelist/filelistview.h"
#include "support/testmain.h"
#include "support/testtree.h"
#include "windowrun.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>

#include <ctime>

namespace {

template <typename T> T *child(QObject &parent, const char *name)
{
    return parent.findChild<T *>(QLatin1String(name));
}

QStringList paths(QDialog &dialog)
{
    auto *list = child<QTableWidget>(dialog, "lstFiles");
    QStringList shown;
    for (int row = 0; row < list->rowCount(); ++row)
        shown.append(list->item(row, 1)->text());
    return shown;
}

QColor colour(QDialog &dialog, int row)
{
    return child<QTableWidget>(dialog, "lstFiles")->item(row, 1)->foreground().color();
}

void apply(QDialog &dialog, QDate date, QTime time, bool local)
{
    child<QCalendarWidget>(dialog, "DTDate")->setSelectedDate(date);
    child<QTimeEdit>(dialog, "edTime")->setTime(time);
    child<QCheckBox>(dialog, "cbDateTimeUseLocal")->setChecked(local);
    child<QPushButton>(dialog, "btnApply")->click();
}

const QDateTime kListed(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

} // namespace

// The date and time dialog through the window's command, on real files.
class DateTimeDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void listFollowsTheSelectionAndTheBoxes();
    void applySetsTheTickedTimes_data();
    void applySetsTheTickedTimes();
    void localTimeByTheDateNotToday_data();
    void localTimeByTheDateNotToday();
    void applyRefreshesTheList();

private:
    // Runs the command on one row selected (-1: all), the dialog driven by script.
    void runDialog(const std::function<void(QDialog &)> &script, int row = -1);
    std::unique_ptr<TestTree> m_tree;
    std::unique_ptr<WindowRun> m_run;
    QByteArray m_savedTz;
    QLocale m_savedLocale;
};

void DateTimeDialogTest::initTestCase()
{
    m_savedTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Paris");
    ::tzset();
    m_savedLocale = QLocale();
    // Its short date has a two-digit year: a date read back from its text lands a century off.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void DateTimeDialogTest::cleanupTestCase()
{
    m_run.reset();
    QLocale::setDefault(m_savedLocale);
    if (m_savedTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", m_savedTz);
    ::tzset();
}

void DateTimeDialogTest::init()
{
    m_run.reset();
    m_tree = std::make_unique<TestTree>();
    for (const char *name : {"src/a.txt", "dst/a.txt", "src/b.txt"})
        m_tree->writeFile(QLatin1String(name), "x", kListed);
    const QString project = m_tree->writeFile(
        QStringLiteral("p.tdm"), "[Directories]\nSrcRelPath=" + m_tree->path("src").toUtf8() +
                                     "\nDestRelPath=" + m_tree->path("dst").toUtf8() +
                                     "\nPathRecursive=0\n");
    m_run = std::make_unique<WindowRun>(m_tree->path(QStringLiteral("s.ini")));
    QVERIFY(m_run->main().projects().ProjectLoad(project));
}

void DateTimeDialogTest::runDialog(const std::function<void(QDialog &)> &script, int row)
{
    m_run->trigger(Command::ActProjectFilesSelectAll);
    if (row >= 0)
        m_run->main().fileListView()->selectRow(row);
    m_run->main().UpdateCommandStates();
    bool shown = false;
    m_run->main().tools().setModalRunner([&](QDialog &dialog) {
        shown = true;
        script(dialog);
        return int(QDialog::Accepted);
    });
    m_run->trigger(Command::ActAppFileSetDateTime);
    QVERIFY(shown);
}

void DateTimeDialogTest::listFollowsTheSelectionAndTheBoxes()
{
    const QString srcA = m_tree->path("src/a.txt"), dstA = m_tree->path("dst/a.txt");
    const QString srcB = m_tree->path("src/b.txt");
    runDialog([&](QDialog &dialog) {
        QCOMPARE(paths(dialog), (QStringList{srcA, srcB}));
        QCOMPARE(child<QLabel>(dialog, "lblFilesCount")->text(), QStringLiteral("2 fichier(s)"));
        auto *creation = child<QCheckBox>(dialog, "cbCreation");
        QVERIFY(!creation->isEnabled() && !creation->isChecked() && !creation->toolTip().isEmpty());
        QVERIFY(child<QCheckBox>(dialog, "cbRefreshAfterDTChange")->isChecked());
        child<QCheckBox>(dialog, "cbDest")->click();
        QCOMPARE(paths(dialog), (QStringList{srcA, dstA, srcB}));
        child<QCheckBox>(dialog, "cbSrc")->click();
        child<QCheckBox>(dialog, "cbDest")->click();
        QCOMPARE(paths(dialog), QStringList());
        QCOMPARE(child<QLabel>(dialog, "lblFilesCount")->text(), QStringLiteral("0 fichier(s)"));
        QVERIFY(!child<QPushButton>(dialog, "btnApply")->isEnabled());
        child<QTimeEdit>(dialog, "edTime")->setTime(QTime(7, 35, 20));
        QCOMPARE(child<ClockFace>(dialog, "DTTime")->time(), QTime(7, 35, 20));
    });
}

void DateTimeDialogTest::applySetsTheTickedTimes_data()
{
    QTest::addColumn<bool>("lastWrite");
    QTest::addColumn<bool>("lastAccess");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("year");
    QTest::newRow("last write only") << true << false << false << 2020;
    QTest::newRow("last access only") << false << true << false << 2020;
    QTest::newRow("both") << true << true << false << 2020;
    QTest::newRow("read-only file") << true << true << true << 2020;
    QTest::newRow("a year ext4 cannot hold") << true << false << false << 3000;
}

// A file is green only when its file system stored exactly the times asked; the times not
// ticked, and every time of a file that failed, stay as they were.
void DateTimeDialogTest::applySetsTheTickedTimes()
{
    QFETCH(bool, lastWrite);
    QFETCH(bool, lastAccess);
    QFETCH(bool, readOnly);
    QFETCH(int, year);
    if (readOnly)
        QVERIFY(m_tree->setMode("src/b.txt", 0444));
    const bool fits = year < 2400;
    const QDateTime asked(QDate(year, 2, 3), QTime(13, 14, 15), Qt::UTC);
    QColor shown;
    runDialog(
        [&](QDialog &dialog) {
            child<QCheckBox>(dialog, "cbLastWrite")->setChecked(lastWrite);
            child<QCheckBox>(dialog, "cbLastAccess")->setChecked(lastAccess);
            apply(dialog, asked.date(), asked.time(), false);
            shown = colour(dialog, 0);
        },
        1);
    const QFileInfo info(m_tree->path("src/b.txt"));
    const QDateTime written = info.fileTime(QFileDevice::FileModificationTime).toUTC();
    const QDateTime accessed = info.fileTime(QFileDevice::FileAccessTime).toUTC();
    if (!fits && written == asked)
        QSKIP("this file system holds the year 3000");
    const bool done = !readOnly && fits;
    QCOMPARE(shown, done ? kGreen : kRed);
    if (fits) {
        QCOMPARE(written, done && lastWrite ? asked : kListed);
        QCOMPARE(accessed, done && lastAccess ? asked : kListed);
    }
}

void DateTimeDialogTest::localTimeByTheDateNotToday_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<bool>("local");
    QTest::addColumn<QDateTime>("today");
    QTest::addColumn<QDateTime>("utc");
    const QDateTime summer(QDate(2024, 7, 1), QTime(12, 0));
    const QDateTime winter(QDate(2024, 1, 10), QTime(12, 0));
    const auto utc = [](int month, int day, int hour, int minute) {
        return QDateTime(QDate(2024, month, day), QTime(hour, minute), Qt::UTC);
    };
    QTest::newRow("winter date in summer")
        << QDate(2024, 1, 15) << QTime(10, 0) << true << summer << utc(1, 15, 9, 0);
    QTest::newRow("summer date in winter")
        << QDate(2024, 7, 15) << QTime(10, 0) << true << winter << utc(7, 15, 8, 0);
    QTest::newRow("not local: taken as UTC")
        << QDate(2024, 1, 15) << QTime(10, 0) << false << summer << utc(1, 15, 10, 0);
    // 02:30 does not exist that night; read with winter's offset, it is 03:30 summer time.
    QTest::newRow("skipped hour") << QDate(2024, 3, 31) << QTime(2, 30) << true << winter
                                  << utc(3, 31, 1, 30);
    // 02:30 comes twice that night: the first time, still summer time.
    QTest::newRow("repeated hour")
        << QDate(2024, 10, 27) << QTime(2, 30) << true << winter << utc(10, 27, 0, 30);
}

// The offset is the one of the date converted, whatever the season today; the dialog says which
// UTC time it wrote.
void DateTimeDialogTest::localTimeByTheDateNotToday()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(bool, local);
    QFETCH(QDateTime, today);
    QFETCH(QDateTime, utc);
    m_run->main().tools().setClock([today] { return today; });
    QString written;
    runDialog(
        [&](QDialog &dialog) {
            QCOMPARE(child<QCalendarWidget>(dialog, "DTDate")->selectedDate(), today.date());
            apply(dialog, date, time, local);
            written = child<QLabel>(dialog, "lblWritten")->text();
        },
        1);
    QCOMPARE(QFileInfo(m_tree->path("src/b.txt")).fileTime(QFileDevice::FileModificationTime), utc);
    QVERIFY2(written.contains(utc.time().toString(u"HH:mm:ss") + u" UTC"), qPrintable(written));
}

// Ticked by default without sub-folders, the refresh shows the new time in the main list at
// once; its selection is gone, so choosing the files again lists none.
void DateTimeDialogTest::applyRefreshesTheList()
{
    const QDateTime later(QDate(2025, 1, 1), QTime(12, 0), Qt::UTC);
    runDialog(
        [&](QDialog &dialog) {
            child<QCheckBox>(dialog, "cbDest")->click();
            child<QCheckBox>(dialog, "cbSrc")->click();
            apply(dialog, later.date(), later.time(), false);
            QCOMPARE(colour(dialog, 0), kGreen);
            QCOMPARE(m_run->main().comparison().fileList().row(0).statusText,
                     QStringLiteral("Incohérence !"));
            child<QCheckBox>(dialog, "cbSrc")->click();
            QCOMPARE(paths(dialog), QStringList());
        },
        0);
}

TANDRIMO_TEST(DateTimeDialogTest)
#include "tst_datetimedialog.moc"
