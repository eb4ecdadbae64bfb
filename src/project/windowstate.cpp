#include "project/windowstate.h"

#include "platform/inifile.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {

const QString kSection = QStringLiteral("MainForm");
const QString kFlags = QStringLiteral("Flags");
const QString kShowCmd = QStringLiteral("ShowCmd");
const QString kNormalPos = QStringLiteral("NormalPos");
const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString kColor = QStringLiteral("Color");

// No window is placed or sized past this (Qt's own limit on a widget's size): a stored number
// beyond it is brought back to it, so that no sum of edges and margins overflows.
constexpr qint64 kCoordinateLimit = (1 << 24) - 1;
// Stored numbers are read in 64 bits and held within this before any subtraction.
constexpr qint64 kReadLimit = qint64(1) << 40;

QRect boundedRect(qint64 left, qint64 top, qint64 width, qint64 height)
{
    return QRect(int(std::clamp(left, -kCoordinateLimit, kCoordinateLimit)),
                 int(std::clamp(top, -kCoordinateLimit, kCoordinateLimit)),
                 int(std::clamp<qint64>(width, 0, kCoordinateLimit)),
                 int(std::clamp<qint64>(height, 0, kCoordinateLimit)));
}

// Left, top, right, bottom; a missing or unreadable number keeps the current one. An empty or
// inverted rectangle gives an invalid one.
QRect parseNormalPos(const QString &text, const QRect &current)
{
    std::array<qint64, 4> edges{current.left(), current.top(),
                                qint64(current.x()) + current.width(),
                                qint64(current.y()) + current.height()};
    const QStringList numbers = text.split(u',');
    for (qsizetype i = 0; i < qsizetype(edges.size()) && i < numbers.size(); ++i) {
        bool ok = false;
        const qint64 value = numbers[i].trimmed().toLongLong(&ok);
        if (ok)
            edges[std::size_t(i)] = std::clamp(value, -kReadLimit, kReadLimit);
    }
    const qint64 width = edges[2] - edges[0];
    const qint64 height = edges[3] - edges[1];
    if (width <= 0 || height <= 0)
        return QRect();
    return boundedRect(edges[0], edges[1], width, height);
}

qint64 overlap(const QRect &a, const QRect &b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

} // namespace

void writeWindowState(platform::IniFile &ini, const WindowState &state)
{
    const QRect &r = state.normal;
    ini.writeString(kSection, kFlags, QString::number(state.flags));
    ini.writeString(kSection, kShowCmd, QString::number(state.showCmd));
    ini.writeString(kSection, kNormalPos,
                    QStringLiteral("%1,%2,%3,%4")
                        .arg(r.x())
                        .arg(r.y())
                        .arg(r.x() + r.width())
                        .arg(r.y() + r.height()));
    ini.writeString(kSection, kPixelsPerInch, QString::number(state.pixelsPerInch));
    ini.writeString(kSection, kColor, QString::number(state.color));
}

RestoredPlacement readWindowState(const platform::IniFile &ini, const WindowState &current)
{
    RestoredPlacement placement;
    if (ini.readInteger(kSection, kPixelsPerInch, current.pixelsPerInch) != current.pixelsPerInch)
        return placement;
    const QString normalPos = ini.readString(kSection, kNormalPos, QString());
    if (normalPos.isEmpty())
        return placement;
    placement.restored = true;
    placement.flags = ini.readInteger(kSection, kFlags, current.flags);
    // An empty rectangle would make a window nobody sees: it gives none.
    placement.normal = parseNormalPos(normalPos, current.normal);
    placement.showCmd = ini.readInteger(kSection, kShowCmd, 0);
    return placement;
}

QRect fitToScreens(const QRect &window, const QList<QRect> &screens, const QMargins &frame)
{
    if (screens.isEmpty())
        return window;
    // The rectangle's width and height as Qt computes them could overflow.
    const QRect outer =
        boundedRect(window.left(), window.top(), qint64(window.right()) - window.left() + 1,
                    qint64(window.bottom()) - window.top() + 1)
            .marginsAdded(frame);
    const auto most = std::max_element(
        screens.cbegin(), screens.cend(),
        [&outer](const QRect &a, const QRect &b) { return overlap(outer, a) < overlap(outer, b); });
    const QRect area = overlap(outer, *most) > 0 ? *most : screens.front();
    QRect fitted(outer.topLeft(), outer.size().boundedTo(area.size()));
    fitted.moveLeft(
        std::clamp(fitted.left(), area.left(), area.x() + area.width() - fitted.width()));
    fitted.moveTop(
        std::clamp(fitted.top(), area.top(), area.y() + area.height() - fitted.height()));
    return fitted.marginsRemoved(frame);
}
