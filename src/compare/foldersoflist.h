#pragma once

#include <QString>

struct TProject;

// The folders a file list was built from. Every command joins the list's rows to these, never to
// what the folder fields hold since.
struct FoldersOfList {
    QString source;
    QString destination;
    bool recursive = false;

    // The project's folders as the commands use them (TProject::sourceFolder()).
    static FoldersOfList of(const TProject &project);
    friend bool operator==(const FoldersOfList &, const FoldersOfList &) = default;
};
