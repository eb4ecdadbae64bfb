#pragma once

#include <QLabel>

// A one-line text shown as a link: a click on it emits clicked().
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
