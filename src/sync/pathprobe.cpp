#include "sync/pathprobe.h"

#include "platform/paths.h"

FolderFacts folderFactsOf(const QString &folder)
{
    return FolderFacts{platform::isExistingFolder(folder), QueryVolume(folder)};
}
