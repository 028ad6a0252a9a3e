#include "app/dialogs/CPlomeraAboutDlg.h"

#include "app/dialogs/CPlomeraEULADlg.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

CPlomeraAboutDlg::CPlomeraAboutDlg(const QString& fileVersion, QWidget* parent)
    : QDialog(parent), artwork_(Artwork())
{
    setWindowTitle(QStringLiteral("About"));
    resize(480, 320);
    versionLabel_ = new QLabel(QStringLiteral("Version :"), this);
    versionValue_ = new QLabel(fileVersion, this);
    licence_ = new QPushButton(QStringLiteral("End-User License Agreement"), this);
    licence_->setObjectName(QStringLiteral("button7010"));
    licence_->setFlat(true);
    licence_->setCursor(Qt::PointingHandCursor);
    QFont link = licence_->font();
    link.setUnderline(true);
    licence_->setFont(link);
    licence_->setStyleSheet(QStringLiteral("color: white; background: transparent; border: none;"));
    for (QLabel* label : {versionLabel_, versionValue_}) {
        label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    }
    auto* row = new QHBoxLayout;
    row->addWidget(versionLabel_);
    row->addWidget(versionValue_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(licence_, 0, Qt::AlignLeft);
    connect(licence_, &QPushButton::clicked, this, [this] {
        CPlomeraEULADlg dlg(this);
        dlg.exec();
    });
}

QString CPlomeraAboutDlg::VersionText() const
{
    return versionValue_->text();
}

QPixmap CPlomeraAboutDlg::Artwork()
{
    QPixmap art(480, 320);
    QPainter p(&art);
    QLinearGradient sky(0, 0, 0, 320);
    sky.setColorAt(0, QColor(0x10, 0x2A, 0x43));
    sky.setColorAt(1, QColor(0x02, 0x07, 0x10));
    p.fillRect(art.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    // A lens: the evidence player's mark.
    p.setPen(QPen(QColor(0x7F, 0xC8, 0xF8), 6));
    p.drawEllipse(QPointF(380, 110), 60, 60);
    p.setBrush(QColor(0x7F, 0xC8, 0xF8, 90));
    p.drawEllipse(QPointF(380, 110), 28, 28);
    p.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"), 30, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(30, 60, 300, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Plomera"));
    QFont sub(QStringLiteral("DejaVu Sans"), 11);
    p.setFont(sub);
    p.drawText(QRect(32, 120, 320, 30), Qt::AlignLeft, QStringLiteral("Video evidence player"));
    return art;
}

void CPlomeraAboutDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(rect(), artwork_);
}
