#include "datetime/clockface.h"

#include <QPainter>

namespace {

// Draws a hand from the centre at an angle in degrees clockwise from 12 o'clock, length in
// hundredths of the radius.
void drawHand(QPainter &painter, double degrees, int length, const QPen &pen)
{
    painter.save();
    painter.rotate(degrees);
    painter.setPen(pen);
    painter.drawLine(QPointF(0, 8), QPointF(0, -length));
    painter.restore();
}

} // namespace

ClockFace::ClockFace(QWidget *parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void ClockFace::setTime(QTime time)
{
    if (!time.isValid() || time == m_time)
        return;
    m_time = time;
    update();
}

void ClockFace::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    // Drawn on a face of radius 100 whatever the widget's size.
    painter.scale(side / 210.0, side / 210.0);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 2));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawEllipse(QPointF(0, 0), 100, 100);
    for (int mark = 0; mark < 60; ++mark) {
        painter.save();
        painter.rotate(mark * 6.0);
        painter.setPen(QPen(palette().color(QPalette::WindowText), mark % 5 == 0 ? 4 : 1));
        painter.drawLine(QPointF(0, mark % 5 == 0 ? -84 : -90), QPointF(0, -96));
        painter.restore();
    }
    const double seconds = m_time.second();
    const double minutes = m_time.minute() + seconds / 60.0;
    const double hours = (m_time.hour() % 12) + minutes / 60.0;
    const QColor black(0, 0, 0);
    drawHand(painter, hours * 30.0, 50, QPen(black, 7, Qt::SolidLine, Qt::RoundCap));
    drawHand(painter, minutes * 6.0, 78, QPen(black, 4, Qt::SolidLine, Qt::RoundCap));
    drawHand(painter, seconds * 6.0, 88, QPen(QColor(255, 0, 0), 1.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(black);
    painter.drawEllipse(QPointF(0, 0), 4, 4);
}
