#pragma once

#include <QString>

// Times RefreshFileList through the main window, in this process; prints "NANOSECONDS ROWS".
int measureWindow(int argc, char *argv[], const QString &src, const QString &dst, int runs);
