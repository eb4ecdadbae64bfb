#include "app/statuspanels.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

StatusPanels::StatusPanels(QStatusBar *bar) : QObject(bar)
{
    auto *progressPanel = new QWidget;
    progressPanel->setFixedWidth(100);
    auto *progressLayout = new QVBoxLayout(progressPanel);
    progressLayout->setContentsMargins(2, 2, 2, 2);
    AdvProgress1 = new QProgressBar;
    AdvProgress1->setObjectName(QStringLiteral("AdvProgress1"));
    AdvProgress1->setRange(0, 100);
    AdvProgress1->setValue(0);
    AdvProgress1->setTextVisible(false);
    progressLayout->addWidget(AdvProgress1);
    statusPanel1 = new QLabel;
    statusPanel1->setObjectName(QStringLiteral("statusPanel1"));
    statusPanel1->setFixedWidth(130);
    statusPanel2 = new QLabel;
    statusPanel2->setObjectName(QStringLiteral("statusPanel2"));
    bar->setObjectName(QStringLiteral("O32StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->addWidget(progressPanel);
    bar->addWidget(statusPanel1);
    bar->addWidget(statusPanel2, 1);
}

void StatusPanels::setStatusText(const QString &text)
{
    m_statusText = text;
    if (m_statusTextQueued)
        return;
    m_statusTextQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_statusTextQueued = false;
            statusPanel2->setText(m_statusText);
        },
        Qt::QueuedConnection);
}

void StatusPanels::setPanel1(const QString &text)
{
    statusPanel1->setText(text);
}

void StatusPanels::setProgress(int percent)
{
    AdvProgress1->setValue(std::clamp(percent, 0, 100));
}

QString StatusPanels::text(int panel) const
{
    return panel == 1 ? statusPanel1->text() : m_statusText;
}
