#include "compare/fileentry.h"

#include "compare/filesize.h"
#include "compare/folderpath.h"

QString FileEntry::fileExt() const
{
    return message ? QString() : extensionOf(files);
}

QString FileEntry::fileSize() const
{
    return sized ? SizeText(double(listedSize), false) : QString();
}

QVariant FileEntry::field(int index) const
{
    switch (index) {
    case fldStatusCode:
        return statusCode;
    case fldFiles:
        return files;
    case fldFileExt:
        return fileExt();
    case fldFileSize:
        return fileSize();
    case fldDTSrc:
        return dtSrc;
    case fldCopyIcon:
        return QString();
    case fldDTDest:
        return dtDest;
    case fldStatusText:
        return statusText;
    default:
        return QVariant();
    }
}

void FileEntry::setField(int index, const QVariant &value)
{
    switch (index) {
    case fldStatusCode:
        statusCode = value.toInt();
        break;
    case fldFiles:
        files = value.toString();
        break;
    case fldFileSize:
        listedSize = value.toLongLong();
        sized = true;
        break;
    case fldDTSrc:
        dtSrc = value.toDouble();
        break;
    case fldDTDest:
        dtDest = value.toDouble();
        break;
    case fldStatusText:
        statusText = value.toString();
        break;
    default:
        break;
    }
}
