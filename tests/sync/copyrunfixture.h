#pragma once

#include "recordinghost.h"
#include "support/treestate.h"

#include "compare/filelist.h"
#include "compare/statuscode.h"
#include "support/testtree.h"
#include "sync/copyrun.h"

#include <QDateTime>

#include <atomic>

// A source and a destination folder, the rows of a list as a classification leaves them, and
// a copy run over them with a recorder for its window.
class CopyRunFixture {
public:
    CopyRunFixture();

    TestTree tree;
    QString src;
    QString dest;
    FileList list;
    CopyRunSettings settings;
    RecordingHost host;
    std::atomic<bool> stop{false};
    double free = 2147483648.0; // what every target folder's file system reports
    bool realFreeSpace = false; // ask the file systems themselves instead
    int freeQueries = 0;
    QStringList freeFolders; // the folders asked, relative to the tree's root

    // Writes a file under the tree with a fixed, past modification time.
    QString write(const QString &relative, const QByteArray &content, int ageSeconds = 0);
    // Appends a row for the relative path ("/a.txt", as the listing forms it).
    int addRow(const QString &relative, std::int32_t code = StatusToCopy, bool classified = true);
    // Remembers the tree, to tell later what the run touched.
    void remember();

    // Runs the loop on this thread; FilesToCopyCount is the number of rows due unless set.
    CopyRunEnd run(platform::FileCalls *calls = nullptr);
    std::int32_t copyOrdinal() const { return m_copyOrdinal; }
    const QString &errorText() const { return m_errorText; }

    // What changed under the tree since remember(), relative to its root.
    QStringList changes() const;
    QStringList temporaries() const;

private:
    TreeState m_before;
    std::int32_t m_copyOrdinal = 0;
    QString m_errorText;
};

inline const QDateTime kBaseTime = QDateTime::fromMSecsSinceEpoch(1700000000000, Qt::UTC);
