#pragma once

struct CliOptions;
class Console;

// Runs the project as the command line asks: refresh, then the list or the copy, then the CSV.
// Returns the exit status (CliExit).
int runCli(const CliOptions &options, Console &console);
