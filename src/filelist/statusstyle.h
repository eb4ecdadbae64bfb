#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

// How a row looks by its status code: the text colour of its cells, and the direction picture
// of its icon column (empty when it has none).
QColor statusTextColour(std::int32_t code);
QString directionIconPath(std::int32_t code);
