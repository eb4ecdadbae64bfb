#pragma once

#include "compare/foldersearch.h"
#include "compare/listeddestination.h"

#include <QCollator>

#include <climits>
#include <deque>
#include <functional>
#include <limits>
#include <vector>

class FileList;

// The order of the listing: relative paths compared whole by the collation of the default
// locale, letter case ignored; paths it cannot tell apart by their text, then by their bytes.
class ListingCollation {
public:
    ListingCollation();
    // Below 0 when the path a comes first.
    int compare(const QString &a, const QByteArray &rawA, const QString &b,
                const QByteArray &rawB) const;
    QCollatorSortKey sortKey(const QString &text) const { return m_collator.sortKey(text); }
    // Whether compare() goes by sort keys.
    bool byKeys() const { return m_byKeys; }

private:
    QCollator m_collator;
    // Outside the C locale the collator compares as its sort keys do; in the C locale its
    // comparison folds the case its sort keys keep, so the keys decide there.
    bool m_byKeys;
};

// The work done on each visit as soon as it is published, on a thread of its own.
struct VisitWork {
    // Its files and the sub-folders it scans, in the listing's order, each as its index among
    // the files, or kDirItem plus its index among the dirs.
    std::vector<quint32> order;
    // For each file, what the destination holds at the same relative path.
    std::vector<ListedDestination> destinations;

    static constexpr quint32 kDirItem = 0x80000000u;
};

// Orders the items of one folder as their whole paths would be ordered: a sub-folder as its
// name followed by '/', in the place of everything below it. Reads the destination's twin of
// each file under destinationRoot unless that is empty.
VisitWork workOnVisit(const ListedFolder &visit, const ListingCollation &collation,
                      const QByteArray &destinationRoot);

// Where a Stop ended the listing: visits before `visit` are whole; of that one, the first
// `files` files; its read error only when keepReadError. Nothing after it.
struct ListingCut {
    std::size_t visit = std::numeric_limits<std::size_t>::max();
    quint32 files = 0;
    bool keepReadError = false;
};

// A row to make: a file of a visit, or the visit itself as a folder left unread (file -1).
struct ListedEntry {
    int visit;
    qint32 file;
};

using EntrySink = std::function<void(const ListedEntry &entry)>;
// Every entry the cut keeps, depth first in the order each visit's work gives. This is the
// listing's order wherever the collation decides a path by its folders' names alone, which
// isListingOrdered() checks.
void forEachOrderedEntry(const std::deque<ListedFolder> &visits, const std::deque<VisitWork> &works,
                         const ListingCut &cut, const EntrySink &sink);
// Every entry the cut keeps, in the order of the visits (for a sort that follows).
void forEachVisitEntry(const std::deque<ListedFolder> &visits, const ListingCut &cut,
                       const EntrySink &sink);
// How many entries the cut keeps (either order gives them all).
std::size_t countEntries(const std::deque<ListedFolder> &visits, const ListingCut &cut);

// Whether the rows are in the listing's order (checked on two threads).
bool isListingOrdered(const FileList &list);
// Sorts the rows into the listing's order; destinations, when not empty, holds one entry per row
// and follows its row.
void sortIntoListingOrder(FileList &list, std::vector<ListedDestination> &destinations);
