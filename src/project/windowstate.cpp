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

// Left, top, right, bottom; a missing or unreadable number keeps the current one.
QRect parseNormalPos(const QString &text, const QRect &current)
{
    std::array<int, 4> edges{current.left(), current.top(), current.x() + current.width(),
                             current.y() + current.height()};
    const QStringList numbers = text.split(u',');
    for (qsizetype i = 0; i < qsizetype(edges.size()) && i < numbers.size(); ++i) {
        bool ok = false;
        const int value = numbers[i].trimmed().toInt(&ok);
        if (ok)
            edges[std::size_t(i)] = value;
    }
    return QRect(QPoint(edges[0], edges[1]), QPoint(edges[2] - 1, edges[3] - 1));
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
    const QRect normal = parseNormalPos(normalPos, current.normal);
    // An empty rectangle would make a window nobody sees.
    if (normal.width() > 0 && normal.height() > 0)
        placement.normal = normal;
    placement.showCmd = ini.readInteger(kSection, kShowCmd, 0);
    return placement;
}

QRect fitToScreens(const QRect &window, const QList<QRect> &screens, const QMargins &frame)
{
    if (screens.isEmpty())
        return window;
    const QRect outer = window.marginsAdded(frame);
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
