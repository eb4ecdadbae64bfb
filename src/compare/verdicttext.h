#pragma once

#include <QString>

// The verdicts a row's status text tells, as the classification and the user's row commands
// write them and the list shows them.
enum class Verdict {
    ToCopy,           // StatusToCopy
    ToCopyBack,       // StatusToCopyBack
    ReadOnly,         // StatusToCopy held back by a read-only target
    Inconsistent,     // StatusInconsistent
    UpToDateWithin2s, // StatusUpToDateWithin2s
    UpToDate,         // StatusUpToDate
    Excluded,         // any of the three exclusions
};

// The text of the verdict, in French as the list shows it.
QString verdictText(Verdict verdict);
