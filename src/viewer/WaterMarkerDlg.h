#pragma once

#include <QDialog>

class QLabel;

// Dialog 137 "WaterMarkDialog": the watermark text of the selected camera in one static (7027),
// its caption the report's title. Modeless and without a parent; one instance, owned through the
// viewer's WatermarkReportSink. Dialog and label are painted in one light blue.
class WaterMarkerDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 137;
    static constexpr int kTextId = 7027;
    static constexpr int kWidthUnits = 263;  // dialog units
    static constexpr int kHeightUnits = 100;

    WaterMarkerDlg();

    // A report: the caption becomes the title, the static the text with each CR LF one break.
    void ShowReport(const QString& title, const QString& text);
    QString Text() const;
    QLabel* TextLabel() const { return text_; }

    // The background of the dialog and its controls: made on first use, kept for the program.
    static const QBrush& Background();
    // Dialog units to pixels by the dialog font: a quarter of the average character width
    // across, an eighth of the character height down.
    static QSize FromDialogUnits(int widthUnits, int heightUnits, const QFont& font);

private:
    QLabel* text_ = nullptr;
};
