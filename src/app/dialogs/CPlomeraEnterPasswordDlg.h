#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLineEdit;
class QPushButton;

// The password prompt of a protected package (template 567): one edit control that shows "*"
// for every character, OK and Cancel. After OK the caller reads password.
class CPlomeraEnterPasswordDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 567;
    static constexpr int kPasswordEdit = 7024;
    // Answers the prompt without a person at the keyboard (the player's own start-up tests):
    // "ok:TEXT" types TEXT and presses OK, "cancel" presses Cancel.
    static constexpr const char* kAnswerVariable = "PLOMERA_PASSWORD_DIALOG_ANSWER";

    explicit CPlomeraEnterPasswordDlg(QWidget* parent = nullptr);
    ~CPlomeraEnterPasswordDlg() override;

    // Runs once the dialog is shown, inside its modal loop (tests in the same process).
    static std::function<void(CPlomeraEnterPasswordDlg&)> whenShown;

    QLineEdit* Edit() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // The entered password; empty until OK with a non-empty entry.
    QString password;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnOK();
    void AnswerFromEnvironment();

    QLineEdit* edit_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool answered_ = false;
};
