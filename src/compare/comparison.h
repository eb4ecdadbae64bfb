#pragma once

#include "compare/filelist.h"
#include "compare/foldersoflist.h"
#include "compare/inputthrottle.h"
#include "compare/listeddestination.h"
#include "platform/filestat.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

struct FolderRefusal;
struct ListedFolder;
struct ListingCut;
struct VisitWork;

struct RowSides; // compare/rowsides.h
class RefreshHost;
struct TProject;
struct UserPrefs;

// The comparison state the main window holds for the whole run, and the operations that
// rebuild and classify it: the refresh with its folder checks, the listing of the source
// folder and the classification of every row. Everything runs on the UI thread; only
// StopRequested may be set from another thread.
class Comparison {
public:
    Comparison(const TProject &project, const UserPrefs &prefs, RefreshHost &host);
    Comparison(const Comparison &) = delete;
    Comparison &operator=(const Comparison &) = delete;

    FileList &fileList() { return m_fileList; }
    const FileList &fileList() const { return m_fileList; }

    // The rows due for copying. 0 whenever the list is cleared, so that rows a stopped refresh
    // left unclassified never enable a copy run.
    int filesToCopyCount() const { return m_filesToCopyCount; }
    // Set by the Stop command; cleared when a refresh passes its checks and when a copy run
    // begins. A listing and a copy run look at it; a classification pass never does.
    std::atomic<bool> StopRequested{false};
    // Rows whose copy failed; they keep their error until the next refresh. 0 whenever the
    // list is cleared.
    int failedCopyCount() const { return m_failedCopyCount; }
    // Folders of the source that the listing could not read, each shown as an error row: the
    // list is incomplete. 0 whenever the list is cleared.
    int unreadableFolderCount() const { return m_unreadableFolderCount; }
    // A row command (compare/rowedits.h) on the given rows, the count of rows due kept in step.
    using RowEdit = void (*)(FileList &, const QList<int> &, int &);
    void editRows(RowEdit edit, const QList<int> &rows)
    {
        edit(m_fileList, rows, m_filesToCopyCount);
    }
    // The counts read again from the rows, after the rows were changed by other means.
    void recountRows();
    // What works on the list: the window disables every command that would change the list or
    // the folders meanwhile. This object alone sets it, and says why.
    enum class BusyReason { None, Refresh, Classification, CopyRun };
    bool busy() const { return m_busy != BusyReason::None; }
    BusyReason busyReason() const { return m_busy; }
    // Whether Stop acts on the work under way: a refresh or a copy run, never a classification
    // pass started on its own (it does not look at StopRequested).
    bool stoppable() const
    {
        return m_busy == BusyReason::Refresh || m_busy == BusyReason::CopyRun;
    }
    // A copy run works on the rows from its start until its end has been handled.
    void beginCopyRun();
    void endCopyRun();
    // The end of a run that Stop or "&Abandon" cut short, instead of a classification: the rows
    // whose copy is in place (copied, in any order) are up to date and never copied again by
    // this list; the counts follow, and the summary tells how many were copied.
    void endStoppedCopyRun(const std::vector<int> &copied);

    // The folders the list was built from: those of the last listing, or the project's own
    // before any. Every command joins the rows to these.
    FoldersOfList listedFolders() const;
    // Whether the list still holds what a refresh of the project's folders gives: not cut short
    // by Stop, and the folders (or the sub-folders box) not edited since it was built, even back
    // to the same text. Until a refresh, the commands that act on files are disabled and the
    // summary says the list was not refreshed.
    bool listCurrent() const { return !m_listCut && !m_foldersEdited; }
    // Whether the two folders' names still reach the folders that were listed: a folder
    // replaced since (by another, or by a link elsewhere) names none of the list's files. The
    // folder that no longer does, or empty.
    QString folderNoLongerListed() const;
    // Called whenever the project's folders may have changed in the fields.
    void foldersChanged();

    // Empties the list, checks both folders, lists the source folder and classifies every row.
    // A failed check leaves one error row, tells the user and throws Abort. Also throws Abort,
    // doing nothing, when called while the list is busy.
    void RefreshFileList();
    // Fills the list with one unclassified row per file of the source folder (and of its
    // sub-folders when the project includes them), sorted by path.
    void ListSourceFolder();
    // The listing walks the tree on one thread while another orders each folder's entries and
    // reads their twins in the destination; this thread shows the progress and sees Stop. False:
    // everything on this thread, and the rows sorted whole (the same rows, more slowly).
    bool ParallelListing = true;
    // Gives every row that is not up to date its verdict, times and text, and recounts
    // filesToCopyCount(). Does nothing while StopRequested is set.
    void ClassifyFileList();

    // ---- The end of a copy run (classify.cpp; the reads in rowsides.cpp).
    // ClassifyFileList, with both files of each row as the run read them once it had ended
    // (readRowSides, off the window's thread); rows missing from sides are read here.
    void ClassifyAfterCopyRun(const std::vector<RowSides> &sides);
    // ----

    // Appends a row carrying a message instead of a file, and says in the status panel that
    // the list was not refreshed.
    void AddErrorRow(std::int32_t code, const QString &text, const QString &statusText);

    // Sets the status text, and lets pending input through at most every kInputIntervalMs.
    void ShowStatusMessage(const QString &text);
    // Lets pending input through at most every kInputIntervalMs.
    void LetInputThrough();
    void ShowSummary();
    // The summary of the list: rows due for copying out of all rows, then the failed copies and
    // the folders left unread, or that the list was not refreshed (see listCurrent()). After a
    // copy run cut short, the copies made come first.
    QString summaryText() const;
    // "Liste des fichiers à copier non raffraichie".
    static QString notRefreshedText();

    static constexpr qint64 kInputIntervalMs = InputThrottle::kIntervalMs;
    // The clock of the input's interval: a test's, instead of the monotonic one.
    void setInputClock(InputThrottle::Clock clock) { m_input.setClock(std::move(clock)); }

private:
    class BusyScope;
    class WalkScope;

    // Ends a refresh that its folder checks refused (compare/folderchecks.h): the summary when
    // the refusal asks for it, the error row, the box; then Abort.
    [[noreturn]] void refuse(const FolderRefusal &refusal);
    bool replayVisit(const ListedFolder &visit, std::size_t index, ListingCut &cut);
    void AddListedRows(const std::deque<ListedFolder> &visits, const std::deque<VisitWork> *works,
                       const ListingCut &cut);
    void addUnreadFolderRow(const ListedFolder &folder);
    // False, doing nothing, for the rows of a listing cut short.
    bool classifyRows(const std::vector<RowSides> *sides);
    void classifyRow(int index, const platform::FileStat &source,
                     const platform::FileStat &destination, int biasMinutes);

    // Ends a listing that an error cut short with a row that says so.
    void addListingFailureRow();

    int m_filesToCopyCount = 0;
    int m_failedCopyCount = 0;
    int m_unreadableFolderCount = 0;
    const TProject &m_project;
    const UserPrefs &m_prefs;
    RefreshHost &m_host;
    FileList m_fileList;
    std::optional<FoldersOfList> m_listed;
    platform::FolderId m_listedSource; // what the two names reached when the list was built
    platform::FolderId m_listedDestination;
    bool m_listCut = false;       // a refresh was stopped: rows missing, or not classified
    bool m_foldersEdited = false; // the fields left the listed folders since the listing
    int m_stoppedRunCopies = -1;  // copies of the last run cut short, until the next pass
    QString m_listingFailure;     // why the last listing ended early, not by Stop
    InputThrottle m_input;
    BusyReason m_busy = BusyReason::None;
    bool m_walking = false; // a listing or a pass is walking the rows
    // The rows were just listed: the next pass takes the source's time and size from the
    // listing's own stat call (a refresh reads each source file once).
    bool m_freshListing = false;
    // What the listing read of each row's destination file, one per row, for the same pass;
    // empty when the listing did not read it.
    std::vector<ListedDestination> m_listedDestinations;
};
