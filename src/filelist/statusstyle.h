#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

// How a row looks by its status code: the text colour of its cells, and the direction picture
// of its icon column (empty when it has none).
QColor statusTextColour(std::int32_t code);
QString directionIconPath(std::int32_t code);

// The text colour of a file's path in the date dialog by its DateRowState: green once its times
// were set, red when they were not, black before.
QColor dateRowColour(int state);
