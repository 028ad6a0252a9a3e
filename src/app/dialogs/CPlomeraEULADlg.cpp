#include "app/dialogs/CPlomeraEULADlg.h"

#include "logging/HandlerGuard.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <stdexcept>

CPlomeraEULADlg::CPlomeraEULADlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("End User License Agreement"));
    resize(760, 520);
    text_ = new QTextBrowser(this);
    text_->setObjectName(QStringLiteral("richedit7004"));
    text_->setLineWrapMode(QTextEdit::WidgetWidth);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    LoadEULAFromResource();
}

QString CPlomeraEULADlg::Text() const
{
    return text_->toPlainText();
}

void CPlomeraEULADlg::LoadEULAFromResource()
{
    HandlerGuard::Run(HandlerGuard::Text("Error in LoadEULAFromResource: %s"), [this] {
        QFile f(QString::fromLatin1(kResource));
        if (!f.open(QIODevice::ReadOnly)) {
            throw std::runtime_error("The licence text resource is missing");
        }
        text_->setHtml(QString::fromUtf8(f.readAll()));
    });
}
