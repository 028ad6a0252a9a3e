#pragma once

#include <QDialog>

class QTextBrowser;

// The licence agreement window: the "EULA" resource in a read-only, word-wrapping text view.
class CPlomeraEULADlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kResource = ":/EULA/353";

    explicit CPlomeraEULADlg(QWidget* parent = nullptr);
    QString Text() const;

private:
    void LoadEULAFromResource();

    QTextBrowser* text_;
};
