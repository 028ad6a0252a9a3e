#include "viewer/WaterMarkerDlg.h"

#include <QFontMetrics>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QColor kBackground(212, 241, 249);
// The character set Windows averages for its dialog base units.
const QString kAverageSample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

} // namespace

const QBrush& WaterMarkerDlg::Background()
{
    static const QBrush brush(kBackground);
    return brush;
}

QSize WaterMarkerDlg::FromDialogUnits(int widthUnits, int heightUnits, const QFont& font)
{
    const QFontMetrics metrics(font);
    const int average = (metrics.horizontalAdvance(kAverageSample) / 26 + 1) / 2;
    return {widthUnits * average / 4, heightUnits * metrics.height() / 8};
}

WaterMarkerDlg::WaterMarkerDlg() : QDialog(nullptr)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("WaterMarkDialog"));
    setModal(false);
    QPalette palette = this->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setBrush(role, Background());
    setPalette(palette);
    setAutoFillBackground(true);

    text_ = new QLabel(this);
    text_->setObjectName(QString::number(kTextId));
    text_->setTextFormat(Qt::PlainText);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text_->setAutoFillBackground(true);
    text_->setPalette(palette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(text_);
    setFixedSize(FromDialogUnits(kWidthUnits, kHeightUnits, font()));
}

void WaterMarkerDlg::ShowReport(const QString& title, const QString& text)
{
    setWindowTitle(title);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text_->setText(shown);
}

QString WaterMarkerDlg::Text() const
{
    return text_->text();
}
