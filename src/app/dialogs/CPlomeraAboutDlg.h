#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

// The About box: the product artwork stretched over the dialog, the version in white, and a
// link-looking button that opens the licence window.
class CPlomeraAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLicenceButton = 7010;

    explicit CPlomeraAboutDlg(const QString& fileVersion, QWidget* parent = nullptr);

    QString VersionText() const;
    QPushButton* LicenceButton() const { return licence_; }
    // Bitmap 310: the artwork, 480 x 320.
    static QPixmap Artwork();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* versionLabel_;
    QLabel* versionValue_;
    QPushButton* licence_;
    QPixmap artwork_;
};
