#pragma once

#include "sync/copyrun.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <vector>

// The progress of a copy run for the status line: files and bytes done, the rate and the time
// left. A file counts as done once the run has moved on to the next one.
class CopyProgress {
public:
    // Reads the size of each row's origin (one stat call per file).
    CopyProgress(const std::vector<CopyRunRow> &rows, const QString &source,
                 const QString &destination);

    // The run starts the row of that list index.
    void start(int index);
    QString text() const;

private:
    QHash<int, int> m_position;   // list index -> position in the run
    std::vector<qint64> m_before; // bytes of the rows before each position; total at the end
    int m_current = 0;
    QString m_currentFile;
    std::vector<QString> m_files;
    QElapsedTimer m_elapsed;
};
