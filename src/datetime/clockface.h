#pragma once

#include <QTime>
#include <QWidget>

// An analog clock face that shows a time it is given and does not run: black hour and minute
// hands, a thin red second hand.
class ClockFace : public QWidget {
    Q_OBJECT
public:
    explicit ClockFace(QWidget *parent = nullptr);

    QTime time() const { return m_time; }
    void setTime(QTime time);

    QSize sizeHint() const override { return QSize(129, 129); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTime m_time = QTime(0, 0);
};
