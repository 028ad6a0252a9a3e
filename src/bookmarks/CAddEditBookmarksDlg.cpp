#include "bookmarks/CAddEditBookmarksDlg.h"

#include "evidence/AnsiCodePage.h"

#include <QDateEdit>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimeEdit>
#include <QVBoxLayout>

CAddEditBookmarksDlg::CAddEditBookmarksDlg(const QString& caption, const QString& name, qint64 time,
                                           const QString& notes, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QString::number(kDialogId));
    setWindowTitle(caption);
    name_ = new QLineEdit(Storable(name, kNameMax, false), this);
    name_->setObjectName(QString::number(kNameId));
    name_->setMaxLength(kNameMax);
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString kept = Storable(text, kNameMax, false);
        if (kept != text) {
            name_->setText(kept);
        }
    });
    connect(name_, &QLineEdit::returnPressed, this, &QDialog::accept);

    const QDateTime at = QDateTime::fromSecsSinceEpoch(time);
    date_ = new QDateEdit(at.date(), this);
    date_->setObjectName(QString::number(kDateId));
    time_ = new QTimeEdit(at.time(), this);
    time_->setObjectName(QString::number(kTimeId));
    time_->setDisplayFormat(QStringLiteral("h:mm:ss AP"));
    time_->setAlignment(Qt::AlignRight);
    for (QAbstractSpinBox* picker : {static_cast<QAbstractSpinBox*>(date_), static_cast<QAbstractSpinBox*>(time_)}) {
        picker->setReadOnly(true);
        picker->setFocusPolicy(Qt::NoFocus);
    }

    notes_ = new QPlainTextEdit(Storable(notes, kNotesMax, true), this);
    notes_->setObjectName(QString::number(kNotesId));
    notes_->setTabChangesFocus(true);
    notes_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(notes_, &QPlainTextEdit::textChanged, this, &CAddEditBookmarksDlg::FilterNotes);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok)->setAutoDefault(false);
    buttons->addButton(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Bookmark Name:"), name_);
    auto* when = new QHBoxLayout;
    when->addWidget(date_);
    when->addWidget(time_);
    form->addRow(QStringLiteral("Bookmark Time:"), when);
    form->addRow(QStringLiteral("Bookmark Notes:"), notes_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    // Ctrl+Enter is OK from any field, the notes included (where Enter starts a new line).
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* ok = new QShortcut(QKeySequence(Qt::CTRL | key), this);
        ok->setContext(Qt::WidgetWithChildrenShortcut);
        connect(ok, &QShortcut::activated, this, &QDialog::accept);
    }
    name_->setFocus();
}

QString CAddEditBookmarksDlg::Name() const
{
    return name_->text();
}

QString CAddEditBookmarksDlg::Notes() const
{
    return notes_->toPlainText();
}

QString CAddEditBookmarksDlg::Storable(const QString& text, int max, bool multiLine)
{
    QString kept;
    for (const QChar c : text) {
        if (kept.size() >= max) {
            break;
        }
        const bool lineBreak = c == QLatin1Char('\n') || c == QLatin1Char('\r');
        if (c.isNull() || (lineBreak && !multiLine)) {
            continue;
        }
        const char byte = AnsiCodePage::FromWideChar(c);
        if (AnsiCodePage::ToWide(&byte, 1) == QString(c)) {
            kept += c;
        }
    }
    return kept;
}

void CAddEditBookmarksDlg::FilterNotes()
{
    if (filtering_) {
        return;
    }
    const QString text = notes_->toPlainText();
    const QString kept = Storable(text, kNotesMax, true);
    if (kept == text) {
        return;
    }
    filtering_ = true;
    notes_->setPlainText(kept);
    notes_->moveCursor(QTextCursor::End);
    filtering_ = false;
}
