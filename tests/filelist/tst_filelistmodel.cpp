#include "compare/filelist.h"
#include "compare/statuscode.h"
#include "filelist/datetimetext.h"
#include "filelist/filelistdelegate.h"
#include "filelist/filelistmodel.h"
#include "filelist/filelistsortmodel.h"
#include "filelist/filelistview.h"
#include "support/testmain.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <numeric>

namespace {

// Rows with the given codes, named r0, r1, ... after their FileList index.
void fill(FileList &list, const QList<int> &codes)
{
    list.beginUpdate();
    list.clear();
    for (int i = 0; i < codes.size(); ++i) {
        FileEntry &entry = list.append();
        entry.statusCode = codes[i];
        entry.files = QStringLiteral("r%1").arg(i);
    }
    list.endUpdate();
}

// The delegate's style option for a cell, selected or not.
class OpenDelegate : public FileListDelegate {
public:
    using FileListDelegate::FileListDelegate;
    using FileListDelegate::initStyleOption;
};

} // namespace

class FileListModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void coloursAndIconsFollowTheCode_data();
    void coloursAndIconsFollowTheCode();
    void selectedTextTakesTheWindowColour();
    void dateTimeCells_data();
    void dateTimeCells();
    void sortsKeepingFileListIndices_data();
    void sortsKeepingFileListIndices();
    void largeListsSortAsSmallOnes_data();
    void largeListsSortAsSmallOnes();
    void secondClickReversesTheOrder();
    void classificationKeepsTheSelection();
    void passesTheModelTester();
    void heldRowChangesAreToldOnce_data();
    void heldRowChangesAreToldOnce();
};

void FileListModelTest::coloursAndIconsFollowTheCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("icon");

    QTest::newRow("to copy") << int(StatusToCopy) << QColor(0, 128, 0) << true;
    QTest::newRow("to copy back") << int(StatusToCopyBack) << QColor(0, 128, 0) << true;
    QTest::newRow("inconsistent") << int(StatusInconsistent) << QColor(255, 0, 0) << true;
    QTest::newRow("error") << int(StatusError) << QColor(255, 0, 0) << false;
    QTest::newRow("within 2s") << int(StatusUpToDateWithin2s) << QColor(0, 0, 0) << false;
    QTest::newRow("up to date") << int(StatusUpToDate) << QColor(0, 0, 0) << false;
    QTest::newRow("excluded by user")
        << int(StatusExcludedByUser) << QColor(128, 128, 128) << false;
    QTest::newRow("excluded by ext")
        << int(StatusExcludedByExtension) << QColor(128, 128, 128) << false;
    QTest::newRow("excluded by file")
        << int(StatusExcludedByFile) << QColor(128, 128, 128) << false;
}

void FileListModelTest::coloursAndIconsFollowTheCode()
{
    QFETCH(int, code);
    QFETCH(QColor, colour);
    QFETCH(bool, icon);
    FileList list;
    fill(list, {code});
    FileListModel model(list);
    for (int column = fldFiles; column < kFileFieldCount; ++column)
        QCOMPARE(model.index(0, column).data(Qt::ForegroundRole).value<QColor>(), colour);
    QVERIFY(!model.index(0, fldStatusCode).data(Qt::ForegroundRole).isValid());
    QCOMPARE(model.index(0, fldStatusCode).data().toString(), QString::number(code));
    const QIcon picture = model.index(0, fldCopyIcon).data(Qt::DecorationRole).value<QIcon>();
    QCOMPARE(!picture.isNull(), icon);
    if (icon)
        QVERIFY(!picture.pixmap(16, 16).isNull());
    QVERIFY(model.index(0, fldCopyIcon).data().toString().isEmpty());
}

void FileListModelTest::selectedTextTakesTheWindowColour()
{
    FileList list;
    fill(list, {StatusToCopy});
    FileListModel model(list);
    OpenDelegate delegate;
    for (int column : {int(fldFiles), int(fldStatusText), int(fldStatusCode)}) {
        QStyleOptionViewItem option;
        option.state |= QStyle::State_Selected;
        delegate.initStyleOption(&option, model.index(0, column));
        const QColor text = option.palette.color(QPalette::HighlightedText);
        if (column == fldStatusCode)
            QCOMPARE(text, QStyleOptionViewItem().palette.color(QPalette::HighlightedText));
        else
            QCOMPARE(text, option.palette.color(QPalette::Base));
    }
}

void FileListModelTest::dateTimeCells_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("not set") << 0.0 << "";
    QTest::newRow("below one") << 0.999 << "";
    QTest::newRow("midnight") << 45292.0 << "01/01/2024";
    QTest::newRow("afternoon") << 45292.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0
                               << "01/01/2024 14:05:09";
    QTest::newRow("one second past midnight") << 45292.0 + 1 / 86400.0 << "01/01/2024 00:00:01";
}

void FileListModelTest::dateTimeCells()
{
    QFETCH(double, value);
    QTEST(dateTimeText(value, QLocale(QLocale::French, QLocale::France)), "expected");
}

void FileListModelTest::sortsKeepingFileListIndices_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QList<int>>("order");

    // Rows: code, file, size text, source time.
    QTest::newRow("codes as numbers") << int(fldStatusCode) << QList<int>{2, 0, 1, 3};
    QTest::newRow("texts without A-Z case") << int(fldFiles) << QList<int>{3, 2, 1, 0};
    QTest::newRow("sizes by their text") << int(fldFileSize) << QList<int>{2, 1, 0, 3};
    QTest::newRow("times chronologically") << int(fldDTSrc) << QList<int>{1, 3, 0, 2};
}

void FileListModelTest::sortsKeepingFileListIndices()
{
    QFETCH(int, column);
    QFETCH(QList<int>, order);
    FileList list;
    fill(list, {StatusUpToDate, StatusExcludedByUser, StatusError, StatusExcludedByFile});
    const QStringList files{"d.txt", "C.txt", "b.TXT", "A.txt"};
    // Shown as "2 Octets ", "10 Octets ", "1,50 KO " and "9 Octets ": sorted as texts.
    const QList<qint64> sizes{2, 10, 1536, 9};
    const QList<double> times{45000.5, 44000.0, 46000.0, 44000.25};
    for (int i = 0; i < 4; ++i) {
        list.row(i).files = files[i];
        list.row(i).setField(fldFileSize, sizes[i]);
        list.row(i).dtSrc = times[i];
    }
    FileListView view(list);
    view.sortByColumn(column);
    QList<int> shown;
    for (int displayRow = 0; displayRow < 4; ++displayRow)
        shown.append(view.fileRowAt(displayRow));
    QCOMPARE(shown, order);

    // A selection made in the sorted display still names FileList rows.
    view.selectionModel()->select(view.model()->index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(view.selectedRows(), QList<int>{order.first()});
}

void FileListModelTest::largeListsSortAsSmallOnes_data()
{
    QTest::addColumn<int>("column");
    QTest::newRow("codes") << int(fldStatusCode);
    QTest::newRow("files") << int(fldFiles);
    QTest::newRow("extensions") << int(fldFileExt);
    QTest::newRow("sizes") << int(fldFileSize);
    QTest::newRow("times") << int(fldDTSrc);
}

// A list large enough to be sorted on two threads, with many rows that compare equal: both
// directions order it as a stable sort with the plain comparison does, and a selection of
// overlapping display ranges names each of its rows once.
void FileListModelTest::largeListsSortAsSmallOnes()
{
    QFETCH(int, column);
    const QStringList names{"a.txt", "A.TXT", "b.Txt", "été.jpg", "Z", "a.txt.bak", "_x.c"};
    const int rows = 60000;
    FileList list;
    QList<int> codes;
    for (int i = 0; i < rows; ++i)
        codes.append((i * 7) % 5);
    fill(list, codes);
    for (int i = 0; i < rows; ++i) {
        list.row(i).files = names[(i * 13) % names.size()];
        list.row(i).setField(fldFileSize, qint64((i * 31) % 2000));
        list.row(i).dtSrc = 45000 + (i * 17) % 97;
    }
    // The plain comparison, on each row's cell made once: numbers, or texts with A-Z folded.
    const bool numbers = column == fldStatusCode || column == fldDTSrc;
    QList<double> values(rows);
    QStringList texts;
    for (int i = 0; i < rows; ++i) {
        const QVariant cell = list.row(i).field(column);
        values[i] = numbers ? cell.toDouble() : 0;
        QString text = numbers ? QString() : cell.toString();
        for (QChar &c : text)
            c = (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
        texts.append(text);
    }
    const auto less = [&](int a, int b) {
        return numbers ? values[a] < values[b] : texts[a] < texts[b];
    };
    QList<int> expected(rows);
    std::iota(expected.begin(), expected.end(), 0);
    std::stable_sort(expected.begin(), expected.end(), less);
    QList<int> expectedDown(rows);
    std::iota(expectedDown.begin(), expectedDown.end(), 0);
    std::stable_sort(expectedDown.begin(), expectedDown.end(),
                     [&](int a, int b) { return less(b, a); });

    FileListView view(list);
    QList<int> shown(rows);
    view.sortByColumn(column);
    for (int i = 0; i < rows; ++i)
        shown[i] = view.fileRowAt(i);
    QVERIFY(shown == expected);
    view.sortByColumn(column);
    for (int i = 0; i < rows; ++i)
        shown[i] = view.fileRowAt(i);
    QVERIFY(shown == expectedDown);

    const auto selectDisplayRows = [&view](int first, int last) {
        view.selectionModel()->select(
            QItemSelection(view.model()->index(first, 0), view.model()->index(last, 0)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    selectDisplayRows(100, 200);
    selectDisplayRows(150, 300);
    selectDisplayRows(301, 301);
    QList<int> selected = expectedDown.mid(100, 202);
    std::sort(selected.begin(), selected.end());
    QCOMPARE(view.selectedCount(), 202);
    QCOMPARE(view.selectedRows(), selected);
}

void FileListModelTest::secondClickReversesTheOrder()
{
    FileList list;
    fill(list, {StatusToCopy, StatusError, StatusUpToDate});
    FileListView view(list);
    QCOMPARE(view.fileRowAt(0), 0); // list order until the first click
    view.sortByColumn(fldStatusCode);
    QCOMPARE(view.fileRowAt(0), 1);
    view.sortByColumn(fldStatusCode);
    QCOMPARE(view.fileRowAt(0), 2);
    view.sortByColumn(fldFiles);
    QCOMPARE(view.fileRowAt(0), 0);
}

void FileListModelTest::classificationKeepsTheSelection()
{
    FileList list;
    fill(list, {StatusToCopy, StatusToCopy, StatusToCopy});
    FileListView view(list);
    view.selectAllRows();
    QSignalSpy resets(view.fileModel(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(view.fileModel(), &QAbstractItemModel::dataChanged);
    list.beginUpdate();
    list.row(1).statusCode = StatusUpToDate;
    list.endUpdate();
    QCOMPARE(resets.count(), 0);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(view.selectedRows(), QList<int>({0, 1, 2}));

    fill(list, {StatusToCopy});
    QCOMPARE(resets.count(), 1);
    QCOMPARE(view.selectedCount(), 0);
}

void FileListModelTest::passesTheModelTester()
{
    FileList list;
    FileListModel model(list);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(list, {StatusToCopy, StatusError, StatusInconsistent});
    list.setStatus(1, StatusToCopy, QStringLiteral("A copier"));
    fill(list, {});
    QCOMPARE(model.rowCount(), 0);
}

void FileListModelTest::heldRowChangesAreToldOnce_data()
{
    QTest::addColumn<QList<int>>("changed"); // rows whose text changes while held
    QTest::addColumn<QString>("told");       // the model's dataChanged once released, "" for none
    QTest::newRow("none") << QList<int>{} << "";
    QTest::newRow("one") << QList<int>{4} << "4-4";
    QTest::newRow("scattered") << QList<int>{6, 2, 5} << "2-6";
}

// Changes of many rows at once reach the view as one range, once every hold is released; none
// is lost and none comes early.
void FileListModelTest::heldRowChangesAreToldOnce()
{
    QFETCH(QList<int>, changed);
    QFETCH(QString, told);

    FileList list;
    fill(list, QList<int>(8, StatusToCopy));
    FileListModel model(list);
    QSignalSpy spy(&model, &QAbstractItemModel::dataChanged);
    list.holdRowChanges();
    for (const int row : changed)
        list.setStatusText(row, QStringLiteral("Copié"));
    QCOMPARE(spy.count(), 0);
    list.releaseRowChanges();

    QStringList ranges;
    for (const QList<QVariant> &signal : spy)
        ranges << QStringLiteral("%1-%2")
                      .arg(signal[0].toModelIndex().row())
                      .arg(signal[1].toModelIndex().row());
    QCOMPARE(ranges.join(u' '), told);
    list.setStatusText(0, QStringLiteral("A jour")); // no longer held
    QCOMPARE(spy.count(), told.isEmpty() ? 1 : 2);
}

TANDRIMO_TEST(FileListModelTest)
#include "tst_filelistmodel.moc"
