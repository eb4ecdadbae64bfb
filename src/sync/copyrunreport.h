#pragma once

#include "sync/copyrun.h"

#include <QString>
#include <QStringList>

#include <vector>

// What the user is told once a copy run has ended: every failed copy with its reason (the
// first kMaxNamed, then how many more), and the copies whose modification time the target's
// file system could not keep. Empty when there is nothing to tell.
QString copyRunReport(const std::vector<CopyFailure> &failures, const QStringList &timesNotKept);

inline constexpr int kMaxNamedFailures = 20;
