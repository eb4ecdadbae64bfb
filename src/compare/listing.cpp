#include "compare/comparison.h"

#include "compare/comparisonscopes.h"
#include "compare/folderpath.h"
#include "compare/foldersearch.h"
#include "compare/listingorder.h"
#include "compare/statuscode.h"
#include "platform/filestat.h"
#include "platform/iostatus.h"
#include "platform/jobthread.h"
#include "project/project.h"

#include <QFile>

#include <algorithm>
#include <exception>
#include <limits>

namespace {

// The two threads of a parallel listing: one walks the tree, the other works on each visit as
// soon as it is published. Whatever ends the listing, both are stopped and joined before the
// visits and the works they use go (they are declared before this object).
class ListingThreads {
public:
    ListingThreads(FolderSearch &search, ListedFolders &visits, std::deque<VisitWork> &works)
        : m_search(search), m_visits(visits), m_works(works)
    {}
    ~ListingThreads()
    {
        if (m_walker.running() || m_helper.running())
            stop(0);
        joinAll();
    }
    ListingThreads(const ListingThreads &) = delete;
    ListingThreads &operator=(const ListingThreads &) = delete;

    // False when no thread could be started: the listing then runs on the calling thread.
    bool start(const QByteArray &destinationRoot)
    {
        const bool walking = m_walker.start(platform::Job::ListingWalk, [this] {
            try {
                m_search.execute(m_visits);
            } catch (...) {
                m_walkFailure = std::current_exception();
                m_visits.finish();
            }
        });
        if (!walking)
            return false;
        const bool helping = m_helper.start(platform::Job::ListingTwins, [this, destinationRoot] {
            try {
                const ListingCollation collation;
                for (std::size_t index = 0; index <= m_last.load(); ++index) {
                    bool timedOut = true;
                    const ListedFolder *visit = nullptr;
                    // The walk finishes the visits once stopped: no wait outlives it.
                    while (visit == nullptr && timedOut)
                        visit = m_visits.wait(index, 1000, &timedOut);
                    if (visit == nullptr)
                        return;
                    m_works.push_back(workOnVisit(*visit, collation, destinationRoot));
                }
            } catch (...) {
                m_helperFailed = true;
            }
        });
        if (!helping)
            m_helperFailed = true; // the walk goes on; the rows are sorted whole
        return true;
    }
    // No visit after last is needed: the walk ends at its next entry, the helper once it has
    // worked on last.
    void stop(std::size_t last)
    {
        m_search.abort();
        std::size_t current = m_last.load();
        while (last < current && !m_last.compare_exchange_weak(current, last)) {
        }
    }
    // Joins both; rethrows what ended the walk.
    void join()
    {
        joinAll();
        if (m_walkFailure)
            std::rethrow_exception(std::exchange(m_walkFailure, nullptr));
    }
    // Whether the helper worked on every visit up to the cut.
    bool workedOn(const ListingCut &cut, std::size_t visits) const
    {
        const std::size_t needed = cut.visit < visits ? cut.visit + 1 : visits;
        return !m_helperFailed && m_works.size() >= needed;
    }

private:
    void joinAll()
    {
        m_walker.join();
        m_helper.join();
    }

    FolderSearch &m_search;
    ListedFolders &m_visits;
    std::deque<VisitWork> &m_works;
    platform::JobThread m_walker;
    platform::JobThread m_helper;
    std::atomic<std::size_t> m_last{std::numeric_limits<std::size_t>::max()};
    std::exception_ptr m_walkFailure;
    bool m_helperFailed = false; // read after the join only
};

// The path of a row: the folder's, then the name; the exact size when the name is ASCII.
QString rowPath(const ListedFolder &visit, const ListedFile &file)
{
    const QByteArrayView bytes = visit.bytes(file);
    QString path;
    path.reserve(visit.relative.size() + bytes.size());
    path += visit.relative;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        path += QLatin1StringView(bytes.data(), bytes.size());
    else
        path += visit.text(file);
    return path;
}

} // namespace

void Comparison::ListSourceFolder()
{
    WalkScope walk(m_walking);
    BusyCursorScope cursor(m_host);
    m_fileList.clear();
    FileListUpdate update(m_fileList);

    // The list belongs to the folders it is built from.
    m_listed = FoldersOfList::of(m_project);
    const FoldersOfList &folders = *m_listed;
    FolderSearch search;
    search.fileMasks = {QStringLiteral("*")}; // every name, also one without a dot
    search.includeSubDirectories = folders.recursive;
    search.rootDirectory = folders.source;
    if (folders.recursive) {
        // A destination inside the source would list as source files, and every copy run
        // would nest it one level deeper. Known by identity, whatever text names it.
        const platform::FileStat destination = platform::statPath(folders.destination);
        if (destination.ok() && destination.folder)
            search.excludedFolder = platform::FolderId{destination.device, destination.inode};
    }

    ListedFolders visits;
    std::deque<VisitWork> works;
    ListingCut cut;
    bool ordered = false;
    bool parallel = ParallelListing;
    if (parallel) {
        ListingThreads threads(search, visits, works);
        parallel = threads.start(QFile::encodeName(folders.destination));
        for (std::size_t index = 0; parallel; ++index) {
            bool timedOut = true;
            const ListedFolder *visit = nullptr;
            while (visit == nullptr && timedOut) {
                visit = visits.wait(index, int(kInputIntervalMs), &timedOut);
                if (timedOut)
                    LetInputThrough();
            }
            if (visit == nullptr)
                break;
            if (!replayVisit(*visit, index, cut)) {
                threads.stop(index);
                break;
            }
        }
        threads.join();
        ordered = parallel && threads.workedOn(cut, visits.all().size());
    }
    if (!parallel) {
        // The same walk on this thread, each folder shown as soon as it is read.
        visits.onPublished = [&](const ListedFolder &visit, std::size_t index) {
            if (cut.visit == std::numeric_limits<std::size_t>::max() &&
                !replayVisit(visit, index, cut))
                search.abort();
        };
        search.execute(visits);
    }

    std::deque<ListedFolder> &listed = visits.all();
    AddListedRows(listed, ordered ? &works : nullptr, cut);
    std::deque<VisitWork>().swap(works);
    std::deque<ListedFolder>().swap(listed);
    // Whatever breaks the order of folders (names the collation cannot tell apart by their
    // folders alone, a failed helper) is put right by the sort of whole paths.
    if (!ordered || !isListingOrdered(m_fileList))
        sortIntoListingOrder(m_fileList, m_listedDestinations);
    m_freshListing = true;
}

// The effects of one visit, as the search would have them while it reads the folder: a message
// when it begins, and one for each folder met. Stop is seen after each file or folder
// reported; the listing keeps what was reported until then (false, the cut set).
bool Comparison::replayVisit(const ListedFolder &visit, std::size_t index, ListingCut &cut)
{
    if (visit.openError != 0)
        return true;
    ShowStatusMessage(QStringLiteral("Listing fichiers en cours..."));
    std::size_t file = 0;
    std::size_t dir = 0;
    const std::size_t files = visit.files.size();
    const std::size_t dirs = visit.dirs.size();
    while (file < files || dir < dirs) {
        if (dir < dirs && visit.dirs[dir].filesBefore == file) {
            ShowStatusMessage(
                JoinFolderPath(m_listed->source, visit.relative + visit.text(visit.dirs[dir])));
            m_fileList.endUpdate(); // lets the view repaint
            m_fileList.beginUpdate();
            ++dir;
        } else {
            ++file;
        }
        if (StopRequested) {
            const bool last = file == files && dir == dirs;
            cut = {index, quint32(file), last && visit.endedAfterLastReport};
            return false;
        }
    }
    return true;
}

// Makes the rows of the entries the cut keeps, in the order of the works when given, with what
// they read of the destinations; a failure (out of memory) keeps the rows made until then,
// without what was read of the destinations.
void Comparison::AddListedRows(const std::deque<ListedFolder> &visits,
                               const std::deque<VisitWork> *works, const ListingCut &cut)
{
    const auto addRow = [&](const ListedEntry &entry) {
        const ListedFolder &visit = visits[std::size_t(entry.visit)];
        if (entry.file < 0) {
            addUnreadFolderRow(visit);
            ++m_unreadableFolderCount;
        } else {
            // Made before the row, so that a failure leaves no row half made.
            const ListedFile &file = visit.files[std::size_t(entry.file)];
            QString path = rowPath(visit, file);
            QByteArray raw;
            if (visit.keepRaw || !file.lossless)
                raw = visit.rawRelative + visit.bytes(file);
            FileEntry &row = m_fileList.append();
            row.files = std::move(path);
            row.rawFiles = std::move(raw);
            row.listedSize = file.size;
            row.listedMtimeMs = file.mtimeMs;
            row.sized = true;
        }
        if (works == nullptr)
            return;
        // Empty when no destination was read (no destination folder named).
        const std::vector<ListedDestination> &read =
            (*works)[std::size_t(entry.visit)].destinations;
        if (entry.file < 0)
            m_listedDestinations.emplace_back();
        else if (std::size_t(entry.file) < read.size())
            m_listedDestinations.push_back(read[std::size_t(entry.file)]);
    };
    try {
        const std::size_t count = countEntries(visits, cut);
        m_fileList.reserve(int(count));
        if (works != nullptr) {
            m_listedDestinations.reserve(count);
            forEachOrderedEntry(visits, *works, cut, addRow);
        } else {
            forEachVisitEntry(visits, cut, addRow);
        }
    } catch (const std::bad_alloc &) {
        m_listingFailure = QStringLiteral("mémoire insuffisante");
    } catch (const std::exception &error) {
        m_listingFailure = QString::fromLocal8Bit(error.what());
    }
    // Row for row, or not at all.
    if (m_listedDestinations.size() != std::size_t(m_fileList.count()))
        std::vector<ListedDestination>().swap(m_listedDestinations);
}

// A folder of the source the listing could not read, in its place among the files: a message,
// never a file, so that no pass classifies it and no copy run touches it.
void Comparison::addUnreadFolderRow(const ListedFolder &folder)
{
    const int error = folder.openError != 0 ? folder.openError : folder.readError;
    const platform::IoStatus status = platform::IoStatus::fromErrno(error);
    const QString text = u"Erreur : dossier illisible (" + status.explanation() + u')';
    const QString files = folder.entryText();
    const QString detail = u"Lecture du dossier " + JoinFolderPath(listedFolders().source, files) +
                           u" : " + status.reason();
    FileEntry &row = m_fileList.append();
    row.statusCode = StatusError;
    row.statusText = text;
    row.files = files;
    if (folder.keepRaw)
        row.rawFiles = folder.rawRelative;
    row.message = true;
    m_fileList.setStatusDetail(m_fileList.count() - 1, detail);
}
