#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;

// The tile's status strip (dialog template 349): an icon (bitmap 135), label 1108 the device
// title and label 1109 the playback state, whose tooltip is made when it is asked for, with the
// stream's facts of the moment.
class CVideoPlayerStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit CVideoPlayerStatusBar(QWidget* parent = nullptr);

    // The icon and the tooltips; deviceTitle goes into "Device title: %s".
    void Create(const QString& deviceTitle);
    void SetDeviceTitle(const QString& title);
    QString DeviceTitle() const;
    void SetState(const QString& text);
    QString State() const;
    // The tooltip label 1109 shows now.
    QString StateTooltip() const;
    // Where the tooltip's stream information comes from (empty text when none).
    std::function<QString()> streamInfo;

    void SetColour(const QColor& colour);
    const QColor& Colour() const { return colour_; }

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* icon_ = nullptr;
    QLabel* device_ = nullptr;
    QLabel* state_ = nullptr;
    QColor colour_;
};
