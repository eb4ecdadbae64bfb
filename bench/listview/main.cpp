// Times the file list view on classified rows (100,000, or --rows N), headless: a header-click
// sort on "Fichiers", "Source" and "Taille", a full repaint of the visible page, and selecting
// every row as the command does (the selection, the count the window's command states read, and
// the repaint that follows), best of 5 each.
// Last line: "listview sort S ms, repaint P ms, select all A ms, N rows" (S: the slowest of the
// three sorts).

#include "compare/filelist.h"
#include "compare/statuscode.h"
#include "filelist/filelistview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>

namespace {

constexpr int kRuns = 5;

void fillRows(FileList &list, int rows)
{
    QRandomGenerator random(42);
    const QStringList folders{"/Photos/2023/",   "/photos/2024/Été/",  "/Docs/",
                              "/docs/Factures/", "/Musique/Album Un/", "/code/src/"};
    const QStringList extensions{".jpg", ".JPG", ".txt", ".pdf", ".mp3", ".cpp"};
    const std::array<std::int32_t, 6> codes{StatusToCopy,           StatusUpToDate,
                                            StatusInconsistent,     StatusExcludedByExtension,
                                            StatusUpToDateWithin2s, StatusToCopyBack};
    FileListUpdate update(list);
    list.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        FileEntry &entry = list.append();
        const QString extension = extensions[int(random.bounded(extensions.size()))];
        entry.files = folders[int(random.bounded(folders.size()))] + u"Fichier " +
                      QString::number(random.bounded(1000000)) + extension;
        entry.setField(fldFileSize, qint64(random.bounded(8193)));
        entry.dtSrc = 44000.0 + random.bounded(2000.0);
        entry.dtDest = entry.dtSrc - random.bounded(10.0);
        entry.statusCode = codes[std::size_t(random.bounded(int(codes.size())))];
        entry.statusText = QStringLiteral("A copier");
        entry.classified = true;
    }
}

// Best of kRuns of a work that times its own measured part (nanoseconds).
double bestTimed(const std::function<qint64()> &work)
{
    double best = std::numeric_limits<double>::max();
    for (int run = 0; run < kRuns; ++run)
        best = std::min(best, double(work()) / 1e6);
    return best;
}

double bestOf(const std::function<void()> &work)
{
    return bestTimed([&work] {
        QElapsedTimer timer;
        timer.start();
        work();
        return timer.nsecsElapsed();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rows = 100000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--rows")
            rows = std::atoi(argv[i + 1]);
    }
    FileList list;
    fillRows(list, rows);
    FileListView view(list);
    view.resize(900, 700);
    view.show();
    QCoreApplication::processEvents();

    double slowestSort = 0;
    for (const auto &[column, name] : {std::pair{int(fldFiles), "Fichiers"},
                                       {int(fldDTSrc), "Source"},
                                       {int(fldFileSize), "Taille"}}) {
        const double ms = bestOf([&view, column = column] { view.sortByColumn(column); });
        std::printf("sort %-8s %8.1f ms\n", name, ms);
        slowestSort = std::max(slowestSort, ms);
    }

    QImage page(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const double repaint = bestOf([&view, &page] {
        QPainter painter(&page);
        view.viewport()->render(&painter);
    });
    int selected = 0;
    const double selectAll = bestTimed([&view, &page, &selected] {
        view.clearRowSelection();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        view.selectAllRows();
        selected = view.selectedCount();
        QCoreApplication::processEvents();
        QPainter painter(&page);
        view.viewport()->render(&painter);
        return timer.nsecsElapsed();
    });
    if (selected != list.count())
        std::fprintf(stderr, "select all selected %d rows of %d\n", selected, list.count());
    std::printf("listview sort %.1f ms, repaint %.1f ms, select all %.1f ms, %d rows\n",
                slowestSort, repaint, selectAll, list.count());
    return 0;
}
