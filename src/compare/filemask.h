#pragma once

#include <QStringView>

// Whether a file name matches a mask, letter case ignored: '*' matches any run of characters,
// none included, '?' exactly one, every other character itself. So "*" matches every name and
// "*.*" only one with a dot.
bool maskMatches(QStringView name, QStringView mask);
