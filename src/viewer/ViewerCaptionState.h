#pragma once

#include <QString>

// What the viewer caption shows, without a window: the device title, the page text and its two
// buttons, the file-dependent buttons, the audio button's picture, the layout button's picture
// and the maximised flag. CViewerCaption mirrors it; the viewer calls only these operations.
class ViewerCaptionState {
public:
    static constexpr int kAudioOffPicture = 430;
    static constexpr int kAudioOnPicture = 432;
    // The template is 456 dialog units wide, 1.5 pixels a unit in the caption's font.
    static constexpr int kTemplateWidth = 684;
    static constexpr int kPageGroupX = 330;

    // Where a control of the template's x (dialog units) stands in a caption of the given width:
    // the title's group keeps its place at the left; the page, layout, maximise and close
    // controls keep their distance from the right edge, so a wide viewer has its window buttons
    // in its corner rather than two thirds across. Never left of the template's place.
    static int ControlX(int templateX, int captionWidth);

    // "Page %d/%d" with index + 1 and count; previous enabled past the first page, next before
    // the last.
    void SetPageText(int index, int count);
    // "Page 1/1", both page buttons disabled.
    void ResetPageText();
    // The shift and volume buttons follow the flag; the audio button is disabled, audio-off.
    void EnableFileControls(bool on);
    void SetDeviceTitle(const QString& title) { title_ = title; }
    void SetLayoutPicture(int picture) { layoutPicture_ = picture; }
    void SetMaximised(bool on) { maximised_ = on; }
    void EnableAudioButton(bool on, int picture);
    void EnablePageButtons(bool on);
    // The volume pop-up button, which the audio requests enable on their own.
    void EnableVolumeButton(bool on) { volume_ = on; }

    const QString& PageText() const { return pageText_; }
    const QString& DeviceTitle() const { return title_; }
    bool PreviousEnabled() const { return previous_; }
    bool NextEnabled() const { return next_; }
    bool FileControls() const { return fileOpen_; }
    bool AudioEnabled() const { return audio_; }
    bool VolumeEnabled() const { return volume_; }
    int AudioPicture() const { return audioPicture_; }
    int LayoutPicture() const { return layoutPicture_; }
    bool Maximised() const { return maximised_; }

private:
    QString pageText_ = QStringLiteral("Page 1/1");
    QString title_;
    bool previous_ = false;
    bool next_ = false;
    bool fileOpen_ = false;
    bool audio_ = false;
    bool volume_ = false;
    int audioPicture_ = kAudioOffPicture;
    int layoutPicture_ = 354;
    bool maximised_ = false;
};
