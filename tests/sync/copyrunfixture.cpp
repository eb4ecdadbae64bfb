#include "copyrunfixture.h"

#include <QDir>
#include <QFile>

CopyRunFixture::CopyRunFixture()
{
    src = tree.makeFolder(QStringLiteral("src"));
    dest = tree.makeFolder(QStringLiteral("dest"));
    settings.SrcPath = src;
    settings.DestPath = dest;
    settings.FilesToCopyCount = -1;
}

QString CopyRunFixture::write(const QString &relative, const QByteArray &content, int ageSeconds)
{
    return tree.writeFile(relative, content, kBaseTime.addSecs(-ageSeconds));
}

int CopyRunFixture::addRow(const QString &relative, std::int32_t code, bool classified)
{
    FileEntry &entry = list.append();
    entry.files = relative;
    entry.statusCode = code;
    entry.classified = classified;
    return list.count() - 1;
}

void CopyRunFixture::remember()
{
    m_before = TreeState::capture(tree.root());
}

CopyRunEnd CopyRunFixture::run(platform::FileCalls *calls)
{
    CopyRunSettings used = settings;
    if (used.FilesToCopyCount < 0) {
        used.FilesToCopyCount = 0;
        for (int i = 0; i < list.count(); ++i)
            used.FilesToCopyCount += isDueForCopy(list.row(i).statusCode) ? 1 : 0;
    }
    used.fileCalls = calls;
    CopyRun::FreeSpace freeSpace;
    if (!realFreeSpace) {
        freeSpace = [this](const QByteArray &folder, int) {
            ++freeQueries;
            freeFolders.append(QDir(tree.root()).relativeFilePath(QFile::decodeName(folder)));
            return free;
        };
    }
    CopyRun copyRun(CopyRunSnapshot::take(list), used, stop, host, std::move(freeSpace));
    copyRun.JvThread1Execute();
    m_copyOrdinal = copyRun.CopyOrdinal();
    m_errorText = copyRun.errorText();
    return copyRun.end();
}

QStringList CopyRunFixture::changes() const
{
    return TreeState::changes(m_before, TreeState::capture(tree.root()));
}

QStringList CopyRunFixture::temporaries() const
{
    return TreeState::capture(tree.root()).temporaryFiles();
}
