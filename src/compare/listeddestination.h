#pragma once

#include "platform/filestat.h"

#include <cerrno>

// What one stat of a destination file told, kept from the listing for the pass that follows
// it, so that a refresh reads each destination file once.
struct ListedDestination {
    qint64 size = 0;
    qint64 mtimeMs = 0;
    int error = ENOENT;
    bool regular = false;
    bool folder = false;
    bool ownerWritable = false;

    static ListedDestination from(const platform::FileStat &stat)
    {
        ListedDestination destination;
        destination.size = stat.size;
        destination.mtimeMs = stat.mtimeMs;
        destination.error = stat.error;
        destination.regular = stat.regular;
        destination.folder = stat.folder;
        destination.ownerWritable = stat.ownerWritable;
        return destination;
    }
    platform::FileStat stat() const
    {
        platform::FileStat stat;
        stat.error = error;
        stat.regular = regular;
        stat.folder = folder;
        stat.ownerWritable = ownerWritable;
        stat.size = size;
        stat.mtimeMs = mtimeMs;
        return stat;
    }
};
