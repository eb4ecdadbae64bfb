#include "compare/listingorder.h"

#include "compare/filelist.h"
#include "platform/folderstatcache.h"
#include "platform/jobthread.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <numeric>

ListingCollation::ListingCollation()
    : m_collator(QLocale()), m_byKeys(QLocale().language() == QLocale::C)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

int ListingCollation::compare(const QString &a, const QByteArray &rawA, const QString &b,
                              const QByteArray &rawB) const
{
    const int byCollation =
        m_byKeys ? m_collator.sortKey(a).compare(m_collator.sortKey(b)) : m_collator.compare(a, b);
    if (byCollation != 0)
        return byCollation;
    // Names that differ only in letter case, or only in bytes that are not valid UTF-8: a fixed
    // order all the same.
    if (const int byText = a.compare(b))
        return byText;
    return rawA < rawB ? -1 : rawB < rawA ? 1 : 0;
}

namespace {

// One file or sub-folder of a visit, with what orders it.
struct Item {
    quint32 id;
    QString text;
    QCollatorSortKey key;
};

// The exact bytes of an item compared as the whole path's would be: an item whose path keeps
// no bytes (valid UTF-8 throughout) comes before one that does.
int compareBytes(const ListedFolder &visit, quint32 a, quint32 b)
{
    const auto name = [&visit](quint32 id) -> const ListedName & {
        if (id & VisitWork::kDirItem)
            return visit.dirs[id & ~VisitWork::kDirItem];
        return visit.files[id];
    };
    const ListedName &na = name(a);
    const ListedName &nb = name(b);
    const bool rawA = visit.keepRaw || !na.lossless;
    const bool rawB = visit.keepRaw || !nb.lossless;
    if (rawA != rawB)
        return rawA ? 1 : -1;
    if (!rawA)
        return 0;
    const QByteArray bytesA = visit.bytes(na) + ((a & VisitWork::kDirItem) ? "/" : "");
    const QByteArray bytesB = visit.bytes(nb) + ((b & VisitWork::kDirItem) ? "/" : "");
    return bytesA < bytesB ? -1 : bytesB < bytesA ? 1 : 0;
}

void readDestinations(const ListedFolder &visit, const QByteArray &root,
                      std::vector<ListedDestination> &destinations)
{
    // As RowPathBuilder forms the paths of the rows: the root, one '/', the relative path
    // without its one leading '/'.
    QByteArray path = root;
    if (!path.endsWith('/'))
        path += '/';
    const qsizetype skip = visit.rawRelative.startsWith('/') ? 1 : 0;
    path.append(visit.rawRelative.constData() + skip, visit.rawRelative.size() - skip);
    const qsizetype base = path.size();
    platform::FolderStatCache cache;
    destinations.reserve(visit.files.size());
    for (const ListedFile &file : visit.files) {
        path.truncate(base);
        path += visit.bytes(file);
        destinations.push_back(ListedDestination::from(cache.stat(path)));
    }
}

// The C locale's keys are the UTF-8 bytes of the text, which for a name that is valid UTF-8
// are its own bytes: the items are ordered without a key made.
void orderByBytes(const ListedFolder &visit, std::vector<quint32> &order)
{
    struct Keyed {
        quint32 id;
        QByteArray utf8; // of the text, a sub-folder's followed by '/'
    };
    std::vector<Keyed> items;
    items.reserve(visit.files.size() + visit.dirs.size());
    const auto add = [&](quint32 id, const ListedName &name, bool folder) {
        QByteArray utf8 = name.lossless
                              ? QByteArray::fromRawData(visit.names.constData() + name.offset,
                                                        qsizetype(name.length))
                              : visit.text(name).toUtf8();
        if (folder)
            utf8 += '/'; // a copy of its own
        items.push_back({id, std::move(utf8)});
    };
    for (std::size_t i = 0; i < visit.files.size(); ++i)
        add(quint32(i), visit.files[i], false);
    for (std::size_t d = 0; d < visit.dirs.size(); ++d) {
        if (visit.dirs[d].descend)
            add(quint32(d) | VisitWork::kDirItem, visit.dirs[d], true);
    }
    std::sort(items.begin(), items.end(), [&visit](const Keyed &a, const Keyed &b) {
        if (const int byKey = a.utf8.compare(b.utf8))
            return byKey < 0;
        // The same text: by the bytes, as whole paths are.
        return compareBytes(visit, a.id, b.id) < 0;
    });
    order.reserve(items.size());
    for (const Keyed &item : items)
        order.push_back(item.id);
}

} // namespace

VisitWork workOnVisit(const ListedFolder &visit, const ListingCollation &collation,
                      const QByteArray &destinationRoot)
{
    VisitWork work;
    if (!destinationRoot.isEmpty())
        readDestinations(visit, destinationRoot, work.destinations);
    if (collation.byKeys()) {
        orderByBytes(visit, work.order);
        return work;
    }
    std::vector<Item> items;
    items.reserve(visit.files.size() + visit.dirs.size());
    for (std::size_t i = 0; i < visit.files.size(); ++i) {
        QString text = visit.text(visit.files[i]);
        QCollatorSortKey key = collation.sortKey(text);
        items.push_back({quint32(i), std::move(text), std::move(key)});
    }
    for (std::size_t d = 0; d < visit.dirs.size(); ++d) {
        if (!visit.dirs[d].descend)
            continue;
        QString text = visit.text(visit.dirs[d]) + u'/';
        QCollatorSortKey key = collation.sortKey(text);
        items.push_back({quint32(d) | VisitWork::kDirItem, std::move(text), std::move(key)});
    }
    std::sort(items.begin(), items.end(), [&visit](const Item &a, const Item &b) {
        if (const int byKey = a.key.compare(b.key))
            return byKey < 0;
        if (const int byText = a.text.compare(b.text))
            return byText < 0;
        return compareBytes(visit, a.id, b.id) < 0;
    });
    work.order.reserve(items.size());
    for (const Item &item : items)
        work.order.push_back(item.id);
    return work;
}

namespace {

bool keepsFile(const ListingCut &cut, std::size_t visit, std::size_t file)
{
    return visit < cut.visit || file < cut.files;
}

// The unread entry a visit makes: the folder could not be opened, or its read failed.
bool hasUnreadEntry(const ListedFolder &visit, const ListingCut &cut, std::size_t index)
{
    return visit.openError != 0 ||
           (visit.readError != 0 && (index < cut.visit || cut.keepReadError));
}

} // namespace

void forEachOrderedEntry(const std::deque<ListedFolder> &visits, const std::deque<VisitWork> &works,
                         const ListingCut &cut, const EntrySink &sink)
{
    const std::size_t kept =
        std::min(visits.size(), cut.visit == std::size_t(-1) ? visits.size() : cut.visit + 1);
    // The visit of each scanned sub-folder, by its entry in the parent.
    std::vector<std::vector<int>> children(kept);
    for (std::size_t v = 1; v < kept; ++v) {
        std::vector<int> &of = children[std::size_t(visits[v].parent)];
        if (of.empty())
            of.assign(visits[std::size_t(visits[v].parent)].dirs.size(), -1);
        of[visits[v].dirIndex] = int(v);
    }
    struct Step {
        std::size_t visit;
        std::size_t next;
    };
    std::vector<Step> stack;
    const auto enter = [&](std::size_t v) {
        if (hasUnreadEntry(visits[v], cut, v))
            sink({int(v), -1});
        if (visits[v].openError == 0)
            stack.push_back({v, 0});
    };
    if (kept > 0)
        enter(0);
    // Depth first without recursion, as deep as the tree goes.
    while (!stack.empty()) {
        Step &step = stack.back();
        const std::vector<quint32> &order = works[step.visit].order;
        if (step.next == order.size()) {
            stack.pop_back();
            continue;
        }
        const std::size_t v = step.visit;
        const quint32 id = order[step.next++];
        if (id & VisitWork::kDirItem) {
            const std::vector<int> &of = children[v];
            const int child = of.empty() ? -1 : of[id & ~VisitWork::kDirItem];
            if (child >= 0)
                enter(std::size_t(child));
        } else if (keepsFile(cut, v, id)) {
            sink({int(v), qint32(id)});
        }
    }
}

void forEachVisitEntry(const std::deque<ListedFolder> &visits, const ListingCut &cut,
                       const EntrySink &sink)
{
    for (std::size_t v = 0; v < visits.size() && v <= cut.visit; ++v) {
        if (hasUnreadEntry(visits[v], cut, v))
            sink({int(v), -1});
        for (std::size_t f = 0; f < visits[v].files.size() && keepsFile(cut, v, f); ++f)
            sink({int(v), qint32(f)});
    }
}

std::size_t countEntries(const std::deque<ListedFolder> &visits, const ListingCut &cut)
{
    std::size_t count = 0;
    for (std::size_t v = 0; v < visits.size() && v <= cut.visit; ++v) {
        count += hasUnreadEntry(visits[v], cut, v) ? 1 : 0;
        count += v < cut.visit ? visits[v].files.size()
                               : std::min<std::size_t>(visits[v].files.size(), cut.files);
    }
    return count;
}

namespace {

// As the texts' UTF-8 bytes compare: UTF-16 in the order of the code points, the surrogates
// after the rest of the basic plane.
int compareCodePoints(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const auto mismatch = std::mismatch(a.begin(), a.begin() + common, b.begin());
    if (mismatch.first == a.begin() + common)
        return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
    const auto rank = [](char16_t c) -> int {
        return c >= 0xD800 ? (c >= 0xE000 ? c - 0x800 : c + 0x2000) : c;
    };
    return rank(mismatch.first->unicode()) < rank(mismatch.second->unicode()) ? -1 : 1;
}

bool isOrderedRange(const FileList &list, int begin, int end)
{
    const ListingCollation collation;
    if (!collation.byKeys()) {
        for (int i = begin + 1; i < end; ++i) {
            const FileEntry &a = list.row(i - 1);
            const FileEntry &b = list.row(i);
            if (collation.compare(a.files, a.rawFiles, b.files, b.rawFiles) >= 0)
                return false;
        }
        return true;
    }
    // The keys are the UTF-8 bytes of the text, in the order of the code points: compared
    // without being made.
    for (int i = begin + 1; i < end; ++i) {
        const FileEntry &a = list.row(i - 1);
        const FileEntry &b = list.row(i);
        const int byKey = compareCodePoints(a.files, b.files);
        if (byKey > 0 || (byKey == 0 && !(a.rawFiles < b.rawFiles)))
            return false;
    }
    return true;
}

} // namespace

bool isListingOrdered(const FileList &list)
{
    const int count = list.count();
    const int middle = count / 2;
    if (count < 4096)
        return isOrderedRange(list, 0, count);
    // The rows do not change meanwhile: the caller waits here. A failure of either half says
    // "not ordered", and the caller sorts.
    platform::JobResult secondHalf(platform::Job::OrderCheck, [&list, middle, count] {
        try {
            return isOrderedRange(list, middle - 1, count);
        } catch (...) {
            return false;
        }
    });
    bool firstHalf = false;
    try {
        firstHalf = isOrderedRange(list, 0, middle);
    } catch (...) {
    }
    return secondHalf.get() && firstHalf;
}

void sortIntoListingOrder(FileList &list, std::vector<ListedDestination> &destinations)
{
    const int count = list.count();
    std::vector<quint32> order;
    {
        // One collation key per path, computed once: comparing keys is a byte comparison, where
        // a collating comparator would redo the locale's work at every comparison.
        const ListingCollation collation;
        std::vector<QCollatorSortKey> keys;
        keys.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i)
            keys.push_back(collation.sortKey(list.row(i).files));
        order.resize(std::size_t(count));
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
            if (const int byKey = keys[a].compare(keys[b]))
                return byKey < 0;
            const FileEntry &ra = list.row(int(a));
            const FileEntry &rb = list.row(int(b));
            if (const int byText = ra.files.compare(rb.files))
                return byText < 0;
            return ra.rawFiles < rb.rawFiles;
        });
    }
    list.permute(0, order);
    if (destinations.empty())
        return;
    std::vector<ListedDestination> sorted;
    sorted.reserve(destinations.size());
    for (quint32 index : order)
        sorted.push_back(destinations[index]);
    destinations.swap(sorted);
}
