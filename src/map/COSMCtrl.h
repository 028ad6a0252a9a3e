#pragma once

#include "map/COSMCtrlDownloadTileItem.h"
#include "map/COSMCtrlIcon.h"
#include "map/COSMCtrlMarker.h"
#include "map/COSMCtrlOverlayPainter.h"
#include "map/COSMCtrlPolyline.h"
#include "map/COSMCtrlPosition.h"
#include "map/COSMCtrlScaleBar.h"
#include "map/COSMCtrlScaleBarPainter.h"
#include "map/COSMCtrlTileImages.h"
#include "map/COSMCtrlTilePainter.h"
#include "map/COSMCtrlView.h"
#include "map/COSMCtrlZoomBarPainter.h"

#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class COSMCtrlTileCache;
class IOSMCtrlTileProvider;
class IPlomeraViewEvents;
class QLabel;
class QSlider;

// The slippy map: 256-pixel Web Mercator tiles from the tile cache around a centre position, at
// a zoom whose fraction scales the tiles, turned by a rotation. The owner adds markers, icons
// and polylines; the user pans and zooms with the mouse, the wheel, the keys and the zoom bar.
// A double-click asks the viewer to seek the video to the moment the vehicle passed there.
//
// GUI thread only. The tile cache's worker thread hands its one notice (a failed insert) over
// with a queued call. Painting takes decoded tiles from memory and reads the cache only for
// tiles it does not hold yet.
class COSMCtrl : public QWidget {
    Q_OBJECT
public:
    enum class DragState { None, Map, ZoomBar };
    enum class Hit { None, ZoomIn, ZoomOut, ZoomBar, Map };

    static constexpr int kRefreshTimer = 1;  // the Part's timer number; Qt picks the real id
    static constexpr int kRefreshMs = 500;
    static constexpr int kWheelNotch = 120;
    static constexpr int kMaxExtraTiles = 64;

    explicit COSMCtrl(QWidget* parent = nullptr);
    ~COSMCtrl() override;

    // Makes the control a child of `parent` at `rect`, opens the cache and starts the tile
    // worker and the refresh timer. The slider and the attribution link follow with a queued
    // call. False (logged) when the cache file cannot be opened or made.
    bool Create(const QString& caption, Qt::WindowFlags style, const QRect& rect, QWidget* parent, int id,
                const QString& cachePath);
    int Id() const { return id_; }

    // The view. Each setter returns false and changes nothing for a zoom outside [0, 18], a
    // value that is not finite, or a position off the map.
    bool SetZoom(double zoom);
    bool SetCenter(const COSMCtrlPosition& position);
    bool SetCenterAndZoom(double zoom, double rotation, const COSMCtrlPosition& position);
    double GetZoom() const { return zoom_; }
    const COSMCtrlPosition& GetCenter() const { return centre_; }
    double GetMapRotation() const { return rotation_; }
    COSMCtrlView View() const;
    // The position under a client point; nothing above or below the map.
    std::optional<COSMCtrlPosition> PositionFromPoint(const QPoint& point) const;

    // nullptr selects the built-in source. The provider must outlive the control.
    void SetTileProvider(IOSMCtrlTileProvider* provider);
    // The cache, its download queue and network flag; null before Create.
    COSMCtrlTileCache* TileCache() const { return cache_.get(); }
    const COSMCtrlTileImages& TileImages() const { return tileImages_; }

    // Options. Each repaints only when the value changes.
    void SetTileRequestsEnabled(bool enabled);
    bool GetTileRequestsEnabled() const { return tileRequests_; }
    void SetDrawTileOutlines(bool draw);
    bool GetDrawTileOutlines() const { return drawTileOutlines_; }
    void SetDrawZoomBar(bool draw);
    bool GetDrawZoomBar() const { return drawZoomBar_; }
    void SetZoomBarPosition(int corner, int dx, int dy);
    void SetDrawScaleBar(bool draw);
    bool GetDrawScaleBar() const { return drawScaleBar_; }
    void SetScaleBarPosition(int corner, int dx, int dy);
    void SetAllowDrag(bool allow);
    bool GetAllowDrag() const { return allowDrag_; }
    void SetAllowKeyboard(bool allow);
    bool GetAllowKeyboard() const { return allowKeyboard_; }
    void SetAllowMouseZoom(bool allow);
    bool GetAllowMouseZoom() const { return allowWheelZoom_; }
    void SetDoNotSortTiles(bool doNotSort);
    bool GetDoNotSortTiles() const { return doNotSortTiles_; }
    void SetExtraTiles(int extra);
    int GetExtraTiles() const { return extraTiles_; }
    void SetDrawZoomBarAsSlider(bool slider);
    bool GetDrawZoomBarAsSlider() const { return zoomBarAsSlider_; }
    void SetDrawCenterCrossHairs(bool draw);
    bool GetDrawCenterCrossHairs() const { return drawCrossHairs_; }
    void SetShowAttribution(bool show);
    bool GetShowAttribution() const { return showAttribution_; }
    void SetAttributionPosition(int corner, int dx, int dy);
    // 0 follows the user's measurement system, 1 metric, 2 imperial.
    void SetDistanceUnits(int units);
    int GetDistanceUnits() const { return distanceUnits_; }
    void SetKeyboardPanStep(int pixels) { panStep_ = pixels; }

    // The owner's overlays. Icons stay owned by the caller and must outlive the control.
    int AddIcon(COSMCtrlIcon* icon);
    int AddMarker(const COSMCtrlMarker& marker);
    int AddPolyline(const COSMCtrlPolyline& polyline);
    // The owner may change the records through these: the overlays are drawn anew.
    std::vector<COSMCtrlMarker>& Markers()
    {
        ++overlayVersion_;
        update();
        return markers_;
    }
    std::vector<COSMCtrlPolyline>& Polylines()
    {
        ++overlayVersion_;
        update();
        return polylines_;
    }
    const COSMCtrlOverlayPainter& OverlayPainter() const { return overlayPainter_; }
    void RemoveAllMarkers();
    void RemoveAllPolylines();
    // The longitude (x) and latitude (y) span of one polyline's nodes, or of every marker and
    // polyline; empty when there is nothing.
    QRectF GetBoundingNodeRect(std::size_t polyline) const;
    QRectF GetBoundingRect() const;

    // Where a double-click sends SeekToMapPoint: asked at each double-click, so that the main
    // view's coordinator is used when it exists and nothing happens when it does not.
    void SetViewEventsSource(std::function<IPlomeraViewEvents*()> source) { viewEvents_ = std::move(source); }

    // Queues the tile nearest the centre (timer, F5, enabling requests).
    void RequestTiles();
    const COSMCtrlDownloadTileItemArray& LayoutItems() const { return layoutItems_; }

    QSlider* ZoomSlider() const { return zoomSlider_; }
    QLabel* AttributionLink() const { return attributionLink_; }
    QRect ZoomInRect() const { return zoomInRect_; }
    QRect ZoomOutRect() const { return zoomOutRect_; }
    QRect ZoomBarRect() const { return zoomBarRect_; }
    DragState GetDragState() const { return dragState_; }
    Hit HitTest(const QPoint& point) const;

signals:
    // The centre, zoom or rotation changed.
    void ViewChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnCreateChildControls();
    void UpdateZoomSlider();
    void UpdateAttributionLink();
    void PlaceChildControls();
    void OnVScroll(int action);
    void Draw(QPainter& painter);
    void DrawCrossHairs(QPainter& painter) const;
    void DrawScaleBar(QPainter& painter);
    bool OnKeyDown(int key, Qt::KeyboardModifiers modifiers);
    bool OnChar(const QString& text);
    void StartDrag(const QPoint& point);
    void ZoomByButton(double delta);
    void ZoomKeeping(const QPointF& point, double newZoom);
    void PanBy(const QPointF& clientOffset);
    void HandleLButtonDblClickMap(const QPoint& point);
    void ShowInsertError(const QString& text);
    void OnTimer();
    std::optional<QString> ToolTipAt(const QPoint& point) const;

    // The Part's state, in its order.
    std::vector<COSMCtrlMarker> markers_;
    std::vector<COSMCtrlPolyline> polylines_;
    std::vector<COSMCtrlIcon*> icons_;
    double zoom_ = 3.0;
    COSMCtrlPosition centre_;
    IOSMCtrlTileProvider* tileProvider_ = nullptr;  // null: the cache's built-in source
    bool tileRequests_ = true;
    DragState dragState_ = DragState::None;
    QPoint lastPoint_;
    bool drawTileOutlines_ = false;
    bool drawZoomBar_ = true;
    int zoomBarCorner_ = 0;
    int zoomBarDx_ = 15;
    int zoomBarDy_ = 69;
    bool drawScaleBar_ = true;
    int scaleBarCorner_ = 2;
    int scaleBarDx_ = 15;
    int scaleBarDy_ = 15;
    bool allowDrag_ = true;
    bool allowKeyboard_ = true;
    bool allowWheelZoom_ = true;
    bool doNotSortTiles_ = false;
    int extraTiles_ = 2;
    QRect zoomInRect_;
    QRect zoomOutRect_;
    QRect zoomBarRect_;
    bool zoomBarAsSlider_ = true;
    QSlider* zoomSlider_ = nullptr;
    bool drawCrossHairs_ = true;
    bool showAttribution_ = true;
    int attributionCorner_ = 3;
    int attributionDx_ = 15;
    int attributionDy_ = 15;
    int distanceUnits_ = 0;
    QLabel* attributionLink_ = nullptr;
    QString cachePath_;
    COSMCtrlDownloadTileItemArray layoutItems_;
    std::unique_ptr<COSMCtrlTileCache> cache_;  // network flag, session, queue and worker
    int refreshTimerId_ = 0;
    int panStep_ = 20;
    double rotation_ = 0.0;

    // Beside the Part's state: what painting keeps between paints.
    int id_ = 0;
    bool created_ = false;
    std::function<IPlomeraViewEvents*()> viewEvents_;
    int wheelRemainder_ = 0;
    bool insertErrorShown_ = false;
    bool waitCursor_ = false;
    quint64 overlayVersion_ = 0;  // counts the owner's possible changes to the overlays
    COSMCtrlTileImages tileImages_;
    COSMCtrlTilePainter tilePainter_;
    COSMCtrlOverlayPainter overlayPainter_;
    COSMCtrlScaleBarPainter scaleBarPainter_;
    COSMCtrlZoomBarPainter zoomBarPainter_;
    std::vector<COSMCtrlView::Cell> cells_;
    struct ScaleBarInputs {
        double longitude = 0.0;
        double latitude = 0.0;
        double zoom = -1.0;
        bool imperial = false;
    } scaleBarInputs_;
    std::optional<COSMCtrlScaleBar> scaleBar_;
};
