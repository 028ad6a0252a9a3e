#pragma once

#include "viewer/CVideoPlayer.h"
#include "viewer/ViewerGridModel.h"

#include <QPixmap>
#include <QWidget>

class INavigatorDragSource;
class IUIViewerGridEvents;

// The viewer's child window in which the tiles sit: the cells of the current layout mode inside
// a one-pixel border, each tile sized to its cell (or its 4:3 part), empty cells painted,
// selection, tile swap by dragging, navigator drops, and the tiles' requests passed on to the
// viewer through the grid's coordinator. The viewer owns the players; the grid only places,
// shows and hides them. GUI thread only.
class CViewerGridLayout : public QWidget, public IVideoPlayerGrid {
    Q_OBJECT
public:
    static constexpr int kBorder = 1;
    static constexpr int kSwapDelayMs = 30;

    explicit CViewerGridLayout(QWidget* parent = nullptr);
    ~CViewerGridLayout() override;

    // Events go out only while a coordinator is set.
    void SetCoordinator(IUIViewerGridEvents* coordinator) { coordinator_ = coordinator; }
    void SetNavigatorDragSource(INavigatorDragSource* source) { dragSource_ = source; }

    // The viewer's operations. SetLayout rebuilds the cells empty (the players are hidden, the
    // viewer places them again); Tileset throws std::out_of_range for an index outside the cells.
    void SetLayout(unsigned mode);
    void Tileset(int index, CVideoPlayer* player);
    void RemovePlayer(CVideoPlayer* player) override;
    structTileInfo* FindCell(const CVideoPlayer* player) const { return model_.FindCell(player); }
    structTileInfo* HitTest(const QPoint& clientPoint) const { return model_.HitTest(clientPoint, ClientSize()); }
    ViewerGridModel::Players PlayersInCells() const { return model_.PlayersInCells(); }
    void Reposition();
    void ReorderVideoPlayers(const ViewerGridModel::Players& ordered);
    // The players move one cell backward or forward (ViewerGridModel::Rotate) and are re-placed.
    void ShiftCameras(bool backward);
    void SetPreserveAspectRatio(bool on);
    bool PreserveAspectRatio() const { return preserveAspectRatio_ != 0; }
    CVideoPlayer* SelectedPlayer() const { return selected_; }
    void SetSelectedPlayer(CVideoPlayer* player) { selected_ = player; }
    void SetSingleTileMaximized(bool on) { singleTileMaximized_ = on ? 1 : 0; }
    bool SingleTileMaximized() const { return singleTileMaximized_ != 0; }

    const ViewerGridModel& Model() const { return model_; }
    unsigned Mode() const { return model_.Mode(); }
    // The client area: the widget inside its border. Cell rectangles are in its coordinates.
    QSize ClientSize() const;
    QPoint ClientOrigin() const { return QPoint(kBorder, kBorder); }
    // Where a cell's player goes, in the grid widget's coordinates.
    QRect PlayerRect(const structTileInfo& cell) const;

    // IVideoPlayerGrid: what the tiles call.
    IUIViewerGridEvents* Coordinator() override { return coordinator_; }
    void PlayerClicked(const QPoint& screenPoint) override;
    void PlayerDoubleClicked(const QPoint& screenPoint) override;
    void PlayerDropped(CVideoPlayer* player, const QPoint& gridPoint) override;
    bool NavigatorDrop(const QPoint& screenPoint) override;

    static const QColor& SelectedStripColour();
    static const QColor& UnselectedStripColour();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The navigator drop at a point of the client area: one handler for a button release over
    // the grid or a tile and for a Qt drop. False when no navigator drag was in progress.
    bool DropNavigatorItem(const QPoint& clientPoint);
    void Place(CVideoPlayer* player, const structTileInfo& cell);
    void TilesDelete();
    void RebuildBackground();

    IUIViewerGridEvents* coordinator_ = nullptr;
    INavigatorDragSource* dragSource_ = nullptr;
    CVideoPlayer* selected_ = nullptr;
    int preserveAspectRatio_ = 0;
    int singleTileMaximized_ = 0;
    ViewerGridModel model_;
    // Black, the cells' frames and the empty-cell picture, drawn once per size and mode.
    QPixmap background_;
    bool backgroundDirty_ = true;
};
