#include "app/dialogs/CPlomeraEnterPasswordDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The edit shows "*" for every character whatever the platform's own mask character.
class AsteriskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

std::function<void(CPlomeraEnterPasswordDlg&)> CPlomeraEnterPasswordDlg::whenShown;

CPlomeraEnterPasswordDlg::CPlomeraEnterPasswordDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dialog%1").arg(kTemplateId));
    setWindowTitle(QStringLiteral("Enter Password"));
    setWindowIcon(QApplication::windowIcon());
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("edit%1").arg(kPasswordEdit));
    auto* style = new AsteriskStyle;
    style->setParent(edit_);
    edit_->setStyle(style);
    edit_->setEchoMode(QLineEdit::Password);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ok_, &QPushButton::clicked, this, &CPlomeraEnterPasswordDlg::OnOK);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Enter Password:"), this));
    row->addWidget(edit_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    setMinimumWidth(300);
    edit_->setFocus();
}

CPlomeraEnterPasswordDlg::~CPlomeraEnterPasswordDlg() = default;

void CPlomeraEnterPasswordDlg::OnOK()
{
    // An empty entry keeps the previous value.
    const QString text = edit_->text();
    if (!text.isEmpty())
        password = text;
    accept();
}

void CPlomeraEnterPasswordDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (answered_)
        return;
    answered_ = true;
    if (whenShown) {
        QTimer::singleShot(0, this, [this] { whenShown(*this); });
    } else if (qEnvironmentVariableIsSet(kAnswerVariable)) {
        QTimer::singleShot(0, this, &CPlomeraEnterPasswordDlg::AnswerFromEnvironment);
    }
}

void CPlomeraEnterPasswordDlg::AnswerFromEnvironment()
{
    const QString answer = qEnvironmentVariable(kAnswerVariable);
    if (answer.startsWith(QLatin1String("ok:"))) {
        edit_->setText(answer.mid(3));
        ok_->click();
    } else if (answer == QLatin1String("cancel")) {
        cancel_->click();
    }
}
