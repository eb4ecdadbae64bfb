#include "sync/shellcopy.h"

#include "platform/failsafecopy.h"
#include "platform/filecompare.h"

#include <QFile>

bool ShellCopyFile(const QString &from, const QString &to)
{
    return platform::copyFileFailSafe(QFile::encodeName(from), QFile::encodeName(to)).placed();
}

bool VerifyCopy(const QString &from, const QString &to)
{
    return platform::compareFiles(QFile::encodeName(from), QFile::encodeName(to)) ==
           platform::FileComparison::Equal;
}
