#include "app/fmabout.h"

#include "filelist/resources.h"
#include "platform/appinfo.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kMaroon(128, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);
const QColor kBlue(0, 0, 255);

QLabel *colouredLabel(const QString &text, const QColor &colour)
{
    auto *label = new QLabel(text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QFrame *separator()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel *bullet()
{
    QPixmap picture(8, 8);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(kMaroon);
    painter.setBrush(kYellow);
    painter.drawEllipse(QRectF(0.5, 0.5, 7, 7));
    painter.end();
    auto *label = new QLabel;
    label->setPixmap(picture);
    return label;
}

// The program's name in bold, its first half in red.
QLabel *nameLabel()
{
    const QString name = QStringLiteral("Tandrimo");
    const qsizetype half = name.size() / 2;
    auto *label = new QLabel(QStringLiteral("<span style=\"color:#ff0000\">%1</span>%2")
                                 .arg(name.left(half), name.mid(half)));
    label->setObjectName(QStringLiteral("lblName"));
    label->setTextFormat(Qt::RichText);
    QFont font(QStringLiteral("Arial"), 18);
    font.setBold(true);
    label->setFont(font);
    return label;
}

QWidget *header()
{
    auto *icon = new QLabel;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/tandrimo.svg")).pixmap(32, 32));
    auto *titles = new QVBoxLayout;
    titles->addWidget(nameLabel(), 0, Qt::AlignRight);
    titles->addWidget(new QLabel(QStringLiteral("Synchroniseur de fichiers")), 0, Qt::AlignRight);
    auto *widget = new QWidget;
    auto *row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(titles, 1);
    return widget;
}

QWidget *versionLines()
{
    const std::pair<QString, QString> lines[] = {
        {QStringLiteral("Version :"), platform::fileVersion()},
        {QStringLiteral("Copyright :"), platform::rightsHolder()},
        {QStringLiteral("Commentaires :"), platform::comments()}};
    auto *widget = new QWidget;
    auto *grid = new QGridLayout(widget);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (const auto &[caption, value] : lines) {
        grid->addWidget(bullet(), row, 0);
        grid->addWidget(colouredLabel(caption, kMaroon), row, 1);
        grid->addWidget(colouredLabel(value, kYellow), row, 2);
        ++row;
    }
    grid->setColumnStretch(2, 1);
    return widget;
}

} // namespace

ThanksStrip::ThanksStrip(const QString &text, QWidget *parent)
    : QWidget(parent), m_text(text), m_offset(25)
{
    setObjectName(QStringLiteral("ThanksStrip"));
    setFixedHeight(25);
    QFont strip(QStringLiteral("MS Sans Serif"), 8);
    setFont(strip);
    connect(&m_timer, &QTimer::timeout, this, &ThanksStrip::step);
    m_timer.start(100);
}

// One pixel up; once the text has left at the top, it enters again from the bottom.
void ThanksStrip::step()
{
    --m_offset;
    if (m_offset < -fontMetrics().height())
        m_offset = height();
    update();
}

void ThanksStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBlue);
    painter.setPen(kAqua);
    painter.drawText(QRect(4, m_offset, width() - 8, fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignTop, m_text);
}

TfmAbout::TfmAbout(QWidget *parent) : QDialog(parent)
{
    ensureResources();
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("A propos..."));
    setFont(QFont(QStringLiteral("Arial"), 8));
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(header());
    layout->addWidget(separator());
    layout->addWidget(versionLines());
    layout->addWidget(separator());
    layout->addWidget(colouredLabel(QStringLiteral("Remerciements"), kMaroon));
    layout->addWidget(new ThanksStrip(QStringLiteral("- à la communauté JEDI")));
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint().expandedTo(QSize(305, 193)));
}

void TfmAbout::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, kAqua);
    gradient.setColorAt(1, kBlue);
    painter.fillRect(rect(), gradient);
}
