#include "app/linklabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette linkColours = palette();
    linkColours.setColor(QPalette::WindowText, linkColours.color(QPalette::Link));
    setPalette(linkColours);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->pos()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}
