#include "filelist/sortranks.h"

#include "compare/filelist.h"
#include "platform/jobthread.h"

#include <QString>

#include <algorithm>
#include <numeric>

namespace {

// The text with the letters A to Z in lower case; shared, not copied, when it has none.
QString foldAscii(const QString &text)
{
    const auto upper = [](QChar c) { return c >= u'A' && c <= u'Z'; };
    if (std::none_of(text.cbegin(), text.cend(), upper))
        return text;
    QString folded = text;
    for (QChar &c : folded) {
        if (upper(c))
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

QString columnText(const FileEntry &entry, int column)
{
    switch (FileField(column)) {
    case fldFiles:
        return entry.files;
    case fldFileExt:
        return entry.fileExt();
    case fldFileSize:
        return entry.fileSize();
    case fldStatusText:
        return entry.statusText;
    case fldStatusCode:
    case fldDTSrc:
    case fldDTDest:
    case fldCopyIcon:
        break;
    }
    return QString();
}

// Sorts on two threads when the list is large: each half on its own, then one merge.
template <typename Less> void sortOnTwoThreads(std::vector<quint32> &order, Less less)
{
    constexpr std::size_t kWorthAThread = 50000;
    const auto middle = order.begin() + std::ptrdiff_t(order.size() / 2);
    platform::JobThread other;
    const bool halved = order.size() >= kWorthAThread &&
                        other.start(platform::Job::ListSort, [&order, middle, &less] {
                            std::sort(order.begin(), middle, less);
                        });
    if (!halved) {
        std::sort(order.begin(), order.end(), less);
        return;
    }
    std::sort(middle, order.end(), less);
    other.join();
    std::inplace_merge(order.begin(), middle, order.end(), less);
}

template <typename Less> std::vector<quint32> ranksBy(std::size_t rows, Less less)
{
    std::vector<quint32> order(rows);
    std::iota(order.begin(), order.end(), 0u);
    sortOnTwoThreads(order, less);
    std::vector<quint32> ranks(rows);
    quint32 rank = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        if (i > 0 && less(order[i - 1], order[i]))
            ++rank;
        ranks[order[i]] = rank;
    }
    return ranks;
}

} // namespace

std::vector<quint32> sortRanks(const FileList &list, int column)
{
    const std::size_t rows = std::size_t(list.count());
    const auto entry = [&list](quint32 row) -> const FileEntry & { return list.row(int(row)); };
    switch (FileField(column)) {
    case fldStatusCode:
        return ranksBy(
            rows, [&](quint32 a, quint32 b) { return entry(a).statusCode < entry(b).statusCode; });
    case fldDTSrc:
        return ranksBy(rows, [&](quint32 a, quint32 b) { return entry(a).dtSrc < entry(b).dtSrc; });
    case fldDTDest:
        return ranksBy(rows,
                       [&](quint32 a, quint32 b) { return entry(a).dtDest < entry(b).dtDest; });
    case fldCopyIcon:
        return std::vector<quint32>(rows, 0);
    case fldFiles:
    case fldFileExt:
    case fldFileSize:
    case fldStatusText:
        break;
    }
    // Texts folded once each; a folded text is compared as its UTF-16 code units are.
    std::vector<QString> keys;
    keys.reserve(rows);
    for (quint32 row = 0; row < rows; ++row)
        keys.push_back(foldAscii(columnText(entry(row), column)));
    return ranksBy(rows, [&keys](quint32 a, quint32 b) {
        return QStringView(keys[a]).compare(QStringView(keys[b]), Qt::CaseSensitive) < 0;
    });
}
