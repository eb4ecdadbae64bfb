#include "cli/copyprogress.h"

#include "cli/consoletext.h"
#include "compare/filesize.h"
#include "compare/folderpath.h"
#include "compare/statuscode.h"
#include "platform/filestat.h"

#include <cmath>

namespace {

QString sizeText(double bytes)
{
    return SizeText(bytes, false).trimmed();
}

QString durationText(qint64 seconds)
{
    const QString minutesAndSeconds = QStringLiteral("%1:%2")
                                          .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
                                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds < 3600)
        return minutesAndSeconds;
    return QString::number(seconds / 3600) + u':' + minutesAndSeconds;
}

} // namespace

CopyProgress::CopyProgress(const std::vector<CopyRunRow> &rows, const QString &source,
                           const QString &destination)
{
    RowPathBuilder sourcePaths(source);
    RowPathBuilder destinationPaths(destination);
    m_before.reserve(rows.size() + 1);
    m_before.push_back(0);
    for (const CopyRunRow &row : rows) {
        RowPathBuilder &origin = row.code == StatusToCopyBack ? destinationPaths : sourcePaths;
        const platform::FileStat stat = platform::statPath(origin.path(row.files, row.rawFiles));
        m_position.insert(row.index, int(m_files.size()));
        m_files.push_back(consoleText(row.files));
        m_before.push_back(m_before.back() + (stat.regular ? stat.size : 0));
    }
    m_elapsed.start();
}

void CopyProgress::start(int index)
{
    m_current = m_position.value(index, m_current);
    m_currentFile = m_files.empty() ? QString() : m_files[std::size_t(m_current)];
}

QString CopyProgress::text() const
{
    const qint64 total = m_before.back();
    const qint64 done = m_before[std::size_t(m_current)];
    const double seconds = double(m_elapsed.elapsed()) / 1000;
    const double rate = seconds > 0 ? double(done) / seconds : 0;
    // The first second says too little of the rate to foretell anything.
    QString left = QStringLiteral("--:--");
    if (rate > 0 && seconds >= 1)
        left = durationText(qint64(std::ceil(double(total - done) / rate)));
    return QStringLiteral("%1 / %2 fichiers, %3 / %4, %5/s, reste %6 - %7")
        .arg(m_current)
        .arg(m_files.size())
        .arg(sizeText(double(done)), sizeText(double(total)), sizeText(rate), left, m_currentFile);
}
