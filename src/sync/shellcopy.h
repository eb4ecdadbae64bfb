#pragma once

#include <QString>

// Copies one file over another without a word: the copy goes to a temporary file beside the
// target and replaces it only once complete and flushed, so a failure leaves the old target
// exactly as it was. True when the target now holds the complete copy.
bool ShellCopyFile(const QString &from, const QString &to);

// True when both are files of the same size with the same bytes.
bool VerifyCopy(const QString &from, const QString &to);
