#pragma once

#include "evidence/CalendarFields.h"
#include "viewer/VideoPlayerZoom.h"
#include "vdl/vdl.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

class CPtzPanel;
class CVideoPlayer;
class CVideoPlayerCaptionBar;
class CVideoPlayerStatusBar;
class FalFacade;
class IUIViewerGridEvents;
class Video;

// The grid a tile sits in, as the tile sees it: the tile's whole interface to its host. The grid
// gives itself to the tile with SetGrid when it places it; the tile calls nothing else of it.
class IVideoPlayerGrid {
public:
    virtual ~IVideoPlayerGrid() = default;

    // The grid's coordinator, or null while it has none. The tile's requests that pass through
    // the grid unchanged go to it: 1160 pointer moved (screen point), 1206 view changed, 1162 /
    // 1165 audio on / off, 1209 dewarp view (view name), 1210 / 1211 dewarp drag / press (the
    // points are in the Video's VideoFile), 1212 watermark, and 1148 after a close.
    virtual IUIViewerGridEvents* Coordinator() = 0;
    // 1161: the left button was released over the tile at screenPoint (the grid selects the cell
    // there).
    virtual void PlayerClicked(const QPoint& screenPoint) = 0;
    // 1163: a left double click at screenPoint.
    virtual void PlayerDoubleClicked(const QPoint& screenPoint) = 0;
    // The close button: take the player out of its cell. The tile raises 1148 right after, and
    // the viewer may destroy it then.
    virtual void RemovePlayer(CVideoPlayer* player) = 0;
    // A drag by either strip ended with the pointer at gridPoint (the grid's client
    // coordinates): swap the tiles or put this one back into its cell.
    virtual void PlayerDropped(CVideoPlayer* player, const QPoint& gridPoint) = 0;
    // The left button was released over the tile: true when a navigator item was being dragged
    // and the grid took the release as its drop; the tile then does nothing else with it.
    virtual bool NavigatorDrop(const QPoint& screenPoint) = 0;
};

// One tile of the viewer: the picture of one camera (one Video) or one dewarp view of it, with
// the caption strip (camera title, date and time, close) above, the status strip (device
// title, playback state) below, digital zoom and pan of the picture, pointer control of dewarp
// views, dragging the tile by a strip, the context menu and its keyboard twin.
//
// The viewer owns the tile and the Video and keeps the Video alive while the tile exists; the
// viewer puts Surface() into Video::renderWindow before it plays. The facade is the viewer's;
// the tile uses it only for its own surface: the view it shows (SetRenderView), and the detach
// (SetRenderSurface with null) when it is destroyed while its camera plays. Everything runs on
// the GUI thread except the surface's present (see TileSurface).
class CVideoPlayer : public QWidget {
    Q_OBJECT
public:
    CVideoPlayer(Video* video, FalFacade* facade, QWidget* parent = nullptr);
    ~CVideoPlayer() override;

    // False when creating a part failed ("Failed to Create Video Player: %s" was logged).
    bool IsCreated() const { return created_; }
    Video* GetVideo() const { return video_; }
    // The render window of this tile's camera.
    VDL_Surface* Surface();

    // The viewer's operations.
    void UpdateTitle();
    void UpdateStatus();
    void SetTime(const CalendarFields& time);
    void SetStripColour(const QColor& colour);
    QColor StripColour() const;
    // Hidden strips leave the whole tile to the picture (the overlay byte).
    void ShowStrips(bool show);
    bool IsOverlay() const { return overlay_; }
    void SetShowTime(bool on);
    void SetShowMilliseconds(bool on);
    void SetDewarpViewName(const QString& name) { dewarpViewName_ = name; }
    const QString& DewarpViewName() const { return dewarpViewName_; }
    void AdjustLayout();

    void SetGrid(IVideoPlayerGrid* grid) { grid_ = grid; }
    IVideoPlayerGrid* Grid() const { return grid_; }

    // The context menu at a screen point, when the camera allows one; returns once it closed
    // and the chosen command was carried out.
    void OpenContextMenu(const QPoint& screenPoint);
    // A command of the menu (its id), as if chosen.
    void OnMenuCommand(int command);

    // The caption strip's watermark badge from the camera's checks so far (its root's for a
    // dewarp view); for the viewer's timer.
    void RefreshWatermarkBadge();

    // Parts and state, for the grid, the viewer and tests.
    CVideoPlayerCaptionBar* CaptionBar() const { return caption_; }
    CVideoPlayerStatusBar* StatusBar() const { return status_; }
    QWidget* Container() const { return container_; }
    CPtzPanel* Panel() const { return panel_; }
    const VideoPlayerZoom& Zoom() const { return zoom_; }
    bool IsDewarpTile() const;
    // The status tooltip's stream information, from the newest picture (empty before one).
    QString StreamInfoText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Create();
    void DetachSurface();
    IUIViewerGridEvents* Events() const;
    bool CanReachLibrary() const;
    QPoint ToContainer(const QPointF& tilePoint) const;
    bool InContainer(const QPointF& tilePoint) const;
    QPoint PictureCentre() const;

    // Zoom and pan: each applied step moves the surface and sends 1206.
    void ZoomStep(double factor);
    void MovePicture();
    void UpdateRenderView();
    void ShowZoomRectangle();
    void StoreDewarpDrag(const QPoint& previous, const QPoint& current);
    void EndPointerDrags();

    // Dragging the tile by a strip.
    void BeginTileDrag(const QPoint& screenPoint);
    void FollowPointer(const QPoint& screenPoint);
    void EndTileDrag(const QPoint& screenPoint);

    void OnTileClose();

    Video* video_;
    FalFacade* facade_;
    IVideoPlayerGrid* grid_ = nullptr;
    CVideoPlayerCaptionBar* caption_ = nullptr;
    CVideoPlayerStatusBar* status_ = nullptr;
    QWidget* container_ = nullptr;
    CPtzPanel* panel_ = nullptr;
    bool created_ = false;
    bool overlay_ = false;
    QString dewarpViewName_;

    VideoPlayerZoom zoom_;
    VideoPlayerZoom::View requested_;
    bool viewRequested_ = false;
    // Pointer state, in container coordinates.
    QPoint last_;
    QPoint zoomStart_;
    QPoint zoomEnd_;
    bool zoomDrag_ = false;
    bool dewarpDrag_ = false;
    bool panDrag_ = false;
    int wheelRemainder_ = 0;

    bool tileDrag_ = false;
    QPoint grabOffset_;
    QRect dragStartGeometry_;
};
