#pragma once

#include <cstdint>

// The verdict of a row, stored in its fldStatusCode. No other value is ever stored.
enum StatusCode : std::int32_t {
    StatusError = -1,
    StatusToCopy = 0,
    StatusToCopyBack = 1,
    StatusInconsistent = 3,
    StatusUpToDateWithin2s = 4,
    StatusUpToDate = 5,
    StatusExcludedByUser = 10,
    StatusExcludedByExtension = 11,
    StatusExcludedByFile = 12,
};

// Rows the copy run processes, in the direction their code gives.
inline bool isDueForCopy(std::int32_t code)
{
    return code == StatusToCopy || code == StatusToCopyBack;
}

inline bool isUpToDate(std::int32_t code)
{
    return code == StatusUpToDate || code == StatusUpToDateWithin2s;
}

inline bool isExcluded(std::int32_t code)
{
    return code == StatusExcludedByUser || code == StatusExcludedByExtension ||
           code == StatusExcludedByFile;
}
