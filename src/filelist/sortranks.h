#pragma once

#include <QtGlobal>

#include <vector>

class FileList;

// Each row's place in the order of a column, as the view sorts it: codes as numbers, date-times
// chronologically, texts without regard to the case of the letters A to Z. Rows that compare
// equal share a rank, so that a stable sort by rank keeps their order. Made once for a sort, so
// that its comparisons are of two numbers rather than of two texts made or folded each time.
std::vector<quint32> sortRanks(const FileList &list, int column);
