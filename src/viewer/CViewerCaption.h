#pragma once

#include "viewer/ViewerCaptionState.h"

#include <QWidget>

class IUIViewerCaptionEvents;
class QCheckBox;
class QLabel;
class QToolButton;

// The bar above the grid: the device title, the page text, and the buttons whose requests go to
// the viewer through the caption's coordinator (overlay, audio, camera order, shifts, volume,
// pages, maximise, close all). It paints and forwards; what it shows is ViewerCaptionState.
class CViewerCaption : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 24;

    explicit CViewerCaption(QWidget* parent = nullptr);

    // Events go out only while a coordinator is set.
    void SetCoordinator(IUIViewerCaptionEvents* coordinator) { coordinator_ = coordinator; }

    // The viewer's six operations, and the audio and page buttons it enables one by one.
    void SetPageText(int index, int count);
    void ResetPageText();
    void EnableFileControls(bool on);
    void SetDeviceTitle(const QString& title);
    void SetLayoutPicture(int picture);
    void SetMaximised(bool on);
    void EnableAudioButton(bool on, int picture);
    void EnablePageButtons(bool on);

    const ViewerCaptionState& State() const { return state_; }
    QSize sizeHint() const override { return QSize(456, kHeight); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QToolButton* AddButton(const QString& text, const QString& tooltip);
    void Mirror();

    IUIViewerCaptionEvents* coordinator_ = nullptr;
    ViewerCaptionState state_;
    QLabel* title_ = nullptr;
    QLabel* page_ = nullptr;
    QCheckBox* overlay_ = nullptr;
    QToolButton* audio_ = nullptr;
    QToolButton* order_ = nullptr;
    QToolButton* shiftBack_ = nullptr;
    QToolButton* shiftForward_ = nullptr;
    QToolButton* volume_ = nullptr;
    QToolButton* previous_ = nullptr;
    QToolButton* next_ = nullptr;
    QToolButton* layout_ = nullptr;
    QToolButton* maximise_ = nullptr;
    QToolButton* closeAll_ = nullptr;
    bool allAudio_ = false;
};
