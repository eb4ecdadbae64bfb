#pragma once

#include <QLocale>

namespace platform {

// The regional settings dates, times and numbers follow: the system's, or French like the
// interface where the system has none (the C or POSIX locale of a bare machine).
QLocale regionalLocale(const QLocale &system = QLocale::system());

} // namespace platform
