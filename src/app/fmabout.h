#pragma once

#include <QDialog>
#include <QTimer>

// A strip in which a line of thanks scrolls upwards, entering from the bottom, one pixel every
// 100 ms, from its creation until it goes.
class ThanksStrip : public QWidget {
    Q_OBJECT
public:
    explicit ThanksStrip(const QString &text, QWidget *parent = nullptr);

    // The top of the text, from the top of the strip.
    int offset() const { return m_offset; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void step();

    QString m_text;
    int m_offset;
    QTimer m_timer;
};

// "A propos...": the program's name, its version, rights-holder and comments, and the thanks,
// on a gradient from aqua to blue.
class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
