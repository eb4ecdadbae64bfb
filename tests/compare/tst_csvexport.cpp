#include "compare/csvexport.h"
#include "compare/datetime.h"
#include "compare/filelist.h"
#include "support/testmain.h"

#include <QTest>

#include <ctime>

namespace {

// The cells of a list of one row, its line split at ';' (no test cell holds one unquoted).
QStringList cells(const FileEntry &entry)
{
    FileList list;
    list.append() = entry;
    return QString::fromUtf8(fileListCsv(list, u';'))
        .section(QStringLiteral("\r\n"), 1, 1)
        .split(u';');
}

} // namespace

class CsvExportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cellsAreNeverFormulas_data();
    void cellsAreNeverFormulas();
    void everyDateIsWritten_data();
    void everyDateIsWritten();
};

void CsvExportTest::cellsAreNeverFormulas_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");
    const auto add = [](const char *name, const QString &text, const QString &cell) {
        QTest::newRow(name) << text << cell;
    };
    add("sum", "=1+2", "\"'=1+2\"");
    add("command", "=cmd|' /C calc'!A0", "\"'=cmd|' /C calc'!A0\"");
    add("plus", "+1", "\"'+1\"");
    add("minus", "-2+3", "\"'-2+3\"");
    add("at", "@SUM(A1)", "\"'@SUM(A1)\"");
    add("tab", "\t=1", "\"'\t=1\"");
    add("carriage return", "\r=1", "\"'\r=1\"");
    add("quotes", "=\"a\"", "\"'=\"\"a\"\"\"");
    add("a path", "/=1+2.txt", "/=1+2.txt");
    add("a quote first", "'a", "'a");
}

// A cell that a spreadsheet would run as a formula is written as text: quoted, after a quote.
void CsvExportTest::cellsAreNeverFormulas()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    FileEntry row;
    row.files = text;
    row.statusText = text;
    QCOMPARE(cells(row).first(), cell);
    QCOMPARE(cells(row).last(), cell);
}

void CsvExportTest::everyDateIsWritten_data()
{
    QTest::addColumn<QDateTime>("wallClock"); // in standard time, as the list holds it
    QTest::addColumn<QString>("cell");
    const auto at = [](int month, int day, int hour, int minute) {
        return QDateTime(QDate(2029, month, day), QTime(hour, minute), Qt::UTC);
    };
    QTest::newRow("hour skipped in spring") << at(3, 25, 2, 30) << "2029-03-25T02:30:00";
    QTest::newRow("start of the skipped hour") << at(3, 25, 2, 0) << "2029-03-25T02:00:00";
    QTest::newRow("hour repeated in autumn") << at(10, 28, 2, 30) << "2029-10-28T02:30:00";
    QTest::newRow("midnight") << at(1, 1, 0, 0) << "2029-01-01T00:00:00";
    QTest::newRow("not set") << QDateTime() << "";
}

// Under a zone with daylight saving time, both dates are written as the list holds them, a
// reading that the zone's clocks skip included.
void CsvExportTest::everyDateIsWritten()
{
    QFETCH(QDateTime, wallClock);
    QFETCH(QString, cell);
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Paris");
    ::tzset();
    FileEntry row;
    const QDateTime origin(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    row.dtSrc = wallClock.isValid() ? dateTimeFromMs(origin.msecsTo(wallClock)) : 0;
    row.dtDest = row.dtSrc;
    const QStringList written = cells(row);
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    ::tzset();
    QCOMPARE(written.mid(3, 2), QStringList({cell, cell}));
}

TANDRIMO_TEST(CsvExportTest)
#include "tst_csvexport.moc"
