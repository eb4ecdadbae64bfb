#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QProgressBar;
class QStatusBar;

// The status bar's panels: the progress bar of a copy run (AdvProgress1), panel 1 (sizes and
// free space) and panel 2 (the status message).
class StatusPanels : public QObject {
    Q_OBJECT
public:
    // Builds the panels into the status bar.
    explicit StatusPanels(QStatusBar *bar);

    // Panel 2 follows at the next pass of the event loop: a pass over 100,000 rows sets the
    // text for each row, and the label need not lay itself out that often.
    void setStatusText(const QString &text);
    void setPanel1(const QString &text);
    void setProgress(int percent);
    // Panel 1's text, or the status text (panel 2) as last set.
    QString text(int panel) const;

private:
    QProgressBar *AdvProgress1 = nullptr;
    QLabel *statusPanel1 = nullptr;
    QLabel *statusPanel2 = nullptr;
    QString m_statusText;
    bool m_statusTextQueued = false;
};
