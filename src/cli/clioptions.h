#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for.
struct CliOptions {
    QString projectPath;
    QString csvPath;     // --csv FILE: the list written as CSV too
    bool dryRun = false; // -n, --dry-run: list only, copy nothing
    bool verify = false; // --verify: every copy verified, whatever the preference
    // --allow-root-destination: a destination at the file system's root is accepted
    bool allowRootDestination = false;
    bool quiet = false; // -q, --quiet: errors only
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program's name. On a bad command line the result is empty and
// error says why, in French.
struct CliParse {
    CliOptions options;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
CliParse parseCliArguments(const QStringList &arguments);

// The --help text.
QString cliHelpText();

// Exit statuses of tandrimo-cli.
enum CliExit {
    ExitCopied = 0,       // every due file copied (or listed, in a dry run)
    ExitUsage = 1,        // a bad command line, an unreadable project, a CSV not written
    ExitFolderCheck = 2,  // a folder check of the refresh failed
    ExitSomeFailed = 3,   // some files were not copied, or source folders not read
    ExitLocked = 4,       // another run holds the destination's lock: nothing copied
    ExitInterrupted = 130 // Ctrl+C, SIGTERM or SIGHUP
};
