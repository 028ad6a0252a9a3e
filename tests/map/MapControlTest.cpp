#include "MapTestFiles.h"
#include "TileTestServer.h"

#include "events/CCoordinatorPlomeraView.h"
#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "events/structMapPoint.h"
#include "map/COSMCtrl.h"
#include "map/COSMCtrlMapnikTileProvider.h"
#include "map/COSMCtrlProjection.h"
#include "map/COSMCtrlTileCache.h"
#include "map/COSMCtrlTilePainter.h"
#include "map/COSMCtrlZoomBar.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <cmath>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// Stands in for the viewer: keeps the map points it is sent, latitude first as they arrive.
class SeekRecorder : public QObject {
public:
    std::vector<std::pair<double, double>> points;

    bool event(QEvent* event) override
    {
        ViewerMessageEvent* message = ViewerMessageEvent::From(event);
        if (message == nullptr) {
            return QObject::event(event);
        }
        EXPECT_EQ(message->Message(), ViewerMessages::SeekToMapPoint);
        const structMapPoint* p = message->WPointer<structMapPoint>();
        points.emplace_back(p->latitude, p->longitude);
        return true;
    }
};

// Receives the links the control hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList opened;

public slots:
    void Open(const QUrl& url) { opened << url.toString(); }
};

bool IsPinRed(QRgb c)
{
    return qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90;
}

bool IsBlue(QRgb c)
{
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}

class MapControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        provider = std::make_unique<COSMCtrlMapnikTileProvider>(server.Server());
        map.SetTileProvider(provider.get());
        ASSERT_TRUE(map.Create(QStringLiteral("Map"), Qt::WindowFlags(), QRect(0, 0, kWidth, kHeight), nullptr, 7,
                               files.Cache()));
        QCoreApplication::processEvents();  // the slider and the attribution link
        map.TileCache()->SetInternetAvailable(true);
    }

    void Offline()
    {
        map.TileCache()->StopWorker();
        map.TileCache()->SetInternetAvailable(false);
    }

    QImage Grab() { return map.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Paints until every tile of the view but `unserved` has been drawn from memory.
    QImage GrabLoaded(int unserved = 0)
    {
        for (int round = 0; round < 200; ++round) {
            const QImage image = Grab();
            std::vector<COSMCtrlView::Cell> cells;
            map.View().Cells(cells);
            int missing = 0;
            for (const COSMCtrlView::Cell& cell : cells) {
                missing += cell.onMap && !map.TileImages().Holds(map.View().WholeZoom(), cell.column, cell.row);
            }
            if (missing <= unserved) {
                return image;
            }
            map.TileCache()->WaitForDownloads(2000);
        }
        ADD_FAILURE() << "the view's tiles never arrived";
        return Grab();
    }

    QPoint PointOf(const COSMCtrlPosition& p) const
    {
        const QPointF at = *map.View().PointFromPosition(p);
        return QPoint(int(std::floor(at.x())), int(std::floor(at.y())));
    }

    void Wheel(const QPoint& at, int delta)
    {
        QWheelEvent wheel(QPointF(at), QPointF(map.mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&map, &wheel);
    }

    void Mouse(QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(at), QPointF(map.mapToGlobal(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&map, &event);
    }

    MapTestFiles files;
    TileTestServer server;
    std::unique_ptr<COSMCtrlMapnikTileProvider> provider;
    COSMCtrl map;
};

TEST_F(MapControlTest, TilesAreDrawnIntoCellsScaledByTheZoomFraction)
{
    // Zoom 3.5 at (0, 0): the centre is the corner of tiles 3 and 4, cells are 384 pixels.
    ASSERT_TRUE(map.SetCenterAndZoom(3.5, 0.0, COSMCtrlPosition(0.0, 0.0)));
    const QImage image = GrabLoaded();
    const auto tile = [](int x, int y) { return qRgb(120, 7 * x, 13 * y); };
    const int row = 200;  // in row 3, which spans 0 to 384
    EXPECT_EQ(image.pixel(129, row), tile(3, 3));
    EXPECT_EQ(image.pixel(511, row), tile(3, 3));
    EXPECT_EQ(image.pixel(512, row), tile(4, 3));
    EXPECT_EQ(image.pixel(895, row), tile(4, 3));
    EXPECT_EQ(image.pixel(896, row), tile(5, 3));
    EXPECT_EQ(image.pixel(700, 383), tile(4, 3));
    EXPECT_EQ(image.pixel(700, 384), tile(4, 4));
    EXPECT_EQ(image.pixel(127, row), tile(2, 3));
}

TEST_F(MapControlTest, MissingTilesShowThePlaceholderOfTheNetworkState)
{
    ASSERT_TRUE(map.SetCenterAndZoom(3.0, 0.0, COSMCtrlPosition(0.0, 0.0)));
    // Tile (5, 4) fills 768..1024 x 384..640, clear of the bars and the cross-hairs.
    const QRect cell(768, 384, 256, 256);
    const QFont font = COSMCtrlTilePainter::MessageFont(map.logicalDpiY());
    const QImage tileNotAvailable =
        COSMCtrlTilePainter::Placeholder(cell.size(), QStringLiteral("Tile Not Available"), font).toImage().convertToFormat(
            QImage::Format_RGB32);
    const QImage internetNotAvailable =
        COSMCtrlTilePainter::Placeholder(cell.size(), QStringLiteral("Internet Not Available"), font)
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    ASSERT_NE(tileNotAvailable, internetNotAvailable);
    EXPECT_EQ(tileNotAvailable.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(tileNotAvailable.pixel(255, 255), qRgb(128, 128, 128));
    EXPECT_EQ(tileNotAvailable.pixel(100, 50), qRgb(0, 0, 0));

    server.SetReply(QStringLiteral("/3/5/4.png"), TileTestServer::Reply::NotFound);
    EXPECT_EQ(GrabLoaded(1).copy(cell), tileNotAvailable);
    EXPECT_TRUE(server.Requests().contains(QStringLiteral("/3/5/4.png")));

    // Without the network every missing tile says so, and nothing is queued.
    Offline();
    map.SetCenterAndZoom(5.0, 0.0, COSMCtrlPosition(0.0, -40.0));
    const QImage offline = Grab();
    EXPECT_EQ(map.TileCache()->QueuedDownloads(), 0u);
    std::vector<COSMCtrlView::Cell> cells;
    map.View().Cells(cells);
    int placeholders = 0;
    for (const COSMCtrlView::Cell& c : cells) {
        const QRect r = c.rect.toRect();
        if (r.left() >= 768 && r.top() >= 0 && r.bottom() < 700 && r.right() < kWidth && r.width() == 256) {
            EXPECT_EQ(offline.copy(r), internetNotAvailable) << r.left() << "," << r.top();
            ++placeholders;
        }
    }
    EXPECT_GE(placeholders, 1);
}

TEST_F(MapControlTest, OneMarkerShowsAndOfSeveralTheFirstAndLast)
{
    Offline();
    map.SetCenterAndZoom(3.0, 0.0, COSMCtrlPosition(0.0, 0.0));
    COSMCtrlIcon pin = COSMCtrlIcon::Pin();
    ASSERT_EQ(pin.Bitmap().size(), QSize(21, 25));
    const int icon = map.AddIcon(&pin);
    const QPoint places[] = {QPoint(150, 150), QPoint(700, 150), QPoint(900, 600)};

    map.AddMarker(COSMCtrlMarker(*map.PositionFromPoint(places[1]), icon));
    QImage image = Grab();
    EXPECT_TRUE(IsPinRed(image.pixel(places[1] - QPoint(0, 20))));
    // The pin's tip is its anchor pixel, (10, 24): the drawn point.
    EXPECT_EQ(image.pixel(places[1] + QPoint(0, 1)), qRgb(0, 0, 0));
    EXPECT_NE(image.pixel(places[1] - QPoint(0, 2)), qRgb(0, 0, 0));

    map.RemoveAllMarkers();
    for (const QPoint& p : places) {
        map.AddMarker(COSMCtrlMarker(*map.PositionFromPoint(p), icon));
    }
    image = Grab();
    EXPECT_TRUE(IsPinRed(image.pixel(places[0] - QPoint(0, 20))));
    EXPECT_FALSE(IsPinRed(image.pixel(places[1] - QPoint(0, 20))));
    EXPECT_TRUE(IsPinRed(image.pixel(places[2] - QPoint(0, 20))));

    // Outside its zoom range or hidden, the last marker is not drawn.
    map.Markers().back().minZoom = 4.0;
    map.Markers().front().visible = false;
    image = Grab();
    EXPECT_FALSE(IsPinRed(image.pixel(places[0] - QPoint(0, 20))));
    EXPECT_FALSE(IsPinRed(image.pixel(places[2] - QPoint(0, 20))));
}

TEST_F(MapControlTest, PolylinesFollowTheirStyleNodeCountAndZoomRange)
{
    Offline();
    map.SetCenterAndZoom(2.0, 0.0, COSMCtrlPosition(0.0, 0.0));
    // Cells span 256..512 across and 128..384 down; their texts sit at 256.
    auto line = [&](int y, int style, int nodes) {
        COSMCtrlPolyline polyline;
        polyline.drawStyle = style;
        polyline.lineColour = polyline.nodeColour = QColor(0, 0, 255);
        polyline.nodeSize = 8.0;
        for (int i = 0; i < nodes; ++i) {
            polyline.nodes.emplace_back(*map.PositionFromPoint(QPoint(300 + 180 * i, y)));
        }
        return polyline;
    };
    map.AddPolyline(line(150, COSMCtrlPolyline::kDrawNodes, 2));
    map.AddPolyline(line(180, COSMCtrlPolyline::kDrawLine, 2));
    map.AddPolyline(line(210, COSMCtrlPolyline::kDrawNodes, 1));
    COSMCtrlPolyline tooEarly = line(300, COSMCtrlPolyline::kDrawLineAndNodes, 2);
    tooEarly.minZoom = 3.0;
    map.AddPolyline(tooEarly);
    COSMCtrlPolyline selected = line(330, COSMCtrlPolyline::kDrawLine, 2);
    selected.nodes[0].selected = true;
    selected.selectedNodeColour = QColor(0, 255, 0);
    selected.selectedNodeSize = 10.0;
    map.AddPolyline(selected);

    const QImage image = Grab();
    // Style 2: the dots, and nothing between them.
    EXPECT_TRUE(IsBlue(image.pixel(300, 150)));
    EXPECT_TRUE(IsBlue(image.pixel(480, 150)));
    EXPECT_TRUE(IsBlue(image.pixel(303, 150)));  // radius 4
    EXPECT_EQ(image.pixel(390, 150), qRgb(0, 0, 0));
    // Style 0: the line.
    EXPECT_TRUE(IsBlue(image.pixel(390, 180)));
    // One node, or below the minimum zoom: nothing.
    EXPECT_EQ(image.pixel(300, 210), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(300, 300), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(390, 300), qRgb(0, 0, 0));
    // A selected node shows in its own colour and size, whatever the style.
    EXPECT_EQ(image.pixel(300, 330), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(300, 326), qRgb(0, 255, 0));

    map.SetZoom(3.0);
    EXPECT_TRUE(IsBlue(Grab().pixel(PointOf(map.Polylines()[3].nodes[0].position))));

    // The overlays are stroked again only when the view or the owner's records may have changed.
    Grab();
    Grab();
    EXPECT_FALSE(map.OverlayPainter().Redrew());
    map.Polylines()[3].visible = false;
    const QImage hidden = Grab();
    EXPECT_TRUE(map.OverlayPainter().Redrew());
    EXPECT_FALSE(IsBlue(hidden.pixel(PointOf(map.Polylines()[3].nodes[0].position))));
    map.SetCenter(*map.PositionFromPoint(QPoint(500, 380)));
    Grab();
    EXPECT_TRUE(map.OverlayPainter().Redrew());
}

TEST_F(MapControlTest, WheelNotchesZoomAboutThePointer)
{
    Offline();
    map.SetCenterAndZoom(12.0, 30.0, COSMCtrlPosition(13.405, 52.52));
    const QPoint pointer(800, 200);
    const COSMCtrlPosition before = *map.PositionFromPoint(pointer);
    Wheel(pointer, 120);
    EXPECT_EQ(map.GetZoom(), 13.0);
    COSMCtrlPosition after = *map.PositionFromPoint(pointer);
    EXPECT_NEAR(after.longitude, before.longitude, 1e-6);
    EXPECT_NEAR(after.latitude, before.latitude, 1e-6);

    // A touchpad's small steps add up to one notch.
    for (int i = 0; i < 3; ++i) {
        Wheel(pointer, 30);
        EXPECT_EQ(map.GetZoom(), 13.0);
    }
    Wheel(pointer, 30);
    EXPECT_EQ(map.GetZoom(), 14.0);
    Wheel(pointer, -240);
    EXPECT_EQ(map.GetZoom(), 12.0);
    after = *map.PositionFromPoint(pointer);
    EXPECT_NEAR(after.longitude, before.longitude, 1e-6);
    EXPECT_NEAR(after.latitude, before.latitude, 1e-6);

    map.SetCenterAndZoom(18.0, 0.0, map.GetCenter());
    Wheel(pointer, 120);
    EXPECT_EQ(map.GetZoom(), 18.0);
    map.SetAllowMouseZoom(false);
    Wheel(pointer, -120);
    EXPECT_EQ(map.GetZoom(), 18.0);
}

TEST_F(MapControlTest, KeysPanByTheStepOrATileAndZoomByALevel)
{
    Offline();
    map.SetCenterAndZoom(3.5, 0.0, COSMCtrlPosition(10.0, 20.0));
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        QPointF oldCentreMovesBy;
    };
    const double tile = 384.0;
    for (const Case& c : {Case{Qt::Key_Right, Qt::NoModifier, {-20, 0}}, Case{Qt::Key_Left, Qt::NoModifier, {20, 0}},
                          Case{Qt::Key_Up, Qt::NoModifier, {0, 20}}, Case{Qt::Key_Down, Qt::NoModifier, {0, -20}},
                          Case{Qt::Key_PageDown, Qt::NoModifier, {0, -tile}}, Case{Qt::Key_Up, Qt::ControlModifier, {0, tile}},
                          Case{Qt::Key_Backspace, Qt::NoModifier, {tile, 0}},
                          Case{Qt::Key_Right, Qt::ControlModifier, {-tile, 0}}, Case{Qt::Key_End, Qt::NoModifier, {-tile, 0}}}) {
        SCOPED_TRACE(c.key);
        const COSMCtrlPosition oldCentre = map.GetCenter();
        QTest::keyClick(&map, Qt::Key(c.key), c.modifiers);
        const QPointF now = *map.View().PointFromPosition(oldCentre);
        EXPECT_NEAR(now.x(), 512.0 + c.oldCentreMovesBy.x(), 1e-6);
        EXPECT_NEAR(now.y(), 384.0 + c.oldCentreMovesBy.y(), 1e-6);
    }
    QTest::keyClick(&map, '+');
    EXPECT_EQ(map.GetZoom(), 4.5);
    QTest::keyClick(&map, '-');
    QTest::keyClick(&map, '-');
    EXPECT_EQ(map.GetZoom(), 2.5);
    map.SetAllowKeyboard(false);
    QTest::keyClick(&map, '+');
    EXPECT_EQ(map.GetZoom(), 2.5);
}

TEST_F(MapControlTest, DoubleClickSendsTheLatitudeThenTheLongitudeThroughTheCoordinator)
{
    Offline();
    map.SetCenterAndZoom(12.0, 0.0, COSMCtrlPosition(13.405, 52.52));
    const QPoint click(700, 300);
    const COSMCtrlPosition expected = *map.PositionFromPoint(click);

    QTest::mouseDClick(&map, Qt::LeftButton, Qt::NoModifier, click);  // no coordinator yet: nothing
    SeekRecorder viewer;
    CCoordinatorPlomeraView coordinator(&viewer);
    bool mainViewExists = false;
    map.SetViewEventsSource([&]() -> IPlomeraViewEvents* { return mainViewExists ? &coordinator : nullptr; });
    QTest::mouseDClick(&map, Qt::LeftButton, Qt::NoModifier, click);
    EXPECT_TRUE(viewer.points.empty());

    mainViewExists = true;
    const COSMCtrlPosition centre = map.GetCenter();
    QTest::mouseDClick(&map, Qt::LeftButton, Qt::NoModifier, click);
    ASSERT_EQ(viewer.points.size(), 1u);
    EXPECT_DOUBLE_EQ(viewer.points[0].first, expected.latitude);
    EXPECT_DOUBLE_EQ(viewer.points[0].second, expected.longitude);
    EXPECT_EQ(map.GetCenter().longitude, centre.longitude);  // the view stays

    // Above the top of the map there is no position to seek to.
    map.SetCenterAndZoom(0.0, 0.0, COSMCtrlPosition(0, 0));
    QTest::mouseDClick(&map, Qt::LeftButton, Qt::NoModifier, QPoint(512, 60));
    EXPECT_EQ(viewer.points.size(), 1u);
}

TEST_F(MapControlTest, DraggingEmptiesTheQueueAndTheNextRequestIsTheCentreTile)
{
    map.SetCenterAndZoom(12.0, 0.0, COSMCtrlPosition(13.405, 52.52));
    COSMCtrlTileCache& cache = *map.TileCache();
    cache.StopWorker();
    for (int i = 0; i < 5; ++i) {
        cache.QueueDownload(12, 2200 + i, 1343);
    }
    const QPoint start(600, 400);
    Mouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
    EXPECT_EQ(map.GetDragState(), COSMCtrl::DragState::Map);
    EXPECT_EQ(cache.QueuedDownloads(), 0u);

    cache.QueueDownload(12, 2200, 1343);
    const COSMCtrlPosition oldCentre = map.GetCenter();
    Mouse(QEvent::MouseMove, start + QPoint(300, -40), Qt::LeftButton);
    EXPECT_EQ(cache.QueuedDownloads(), 0u);
    const QPointF moved = *map.View().PointFromPosition(oldCentre);
    EXPECT_NEAR(moved.x(), 512.0 + 300.0, 1e-6);
    EXPECT_NEAR(moved.y(), 384.0 - 40.0, 1e-6);
    Mouse(QEvent::MouseButtonRelease, start + QPoint(300, -40), Qt::NoButton);
    EXPECT_EQ(map.GetDragState(), COSMCtrl::DragState::None);

    map.RequestTiles();
    ASSERT_FALSE(map.LayoutItems().IsEmpty());
    const QPointF centreTile = map.View().CentreTile();
    EXPECT_EQ(map.LayoutItems()[0].x, int(std::floor(centreTile.x())));
    EXPECT_EQ(map.LayoutItems()[0].y, int(std::floor(centreTile.y())));
    EXPECT_EQ(cache.QueuedDownloads(), 1u);

    // With dragging off a press does nothing to the view.
    map.SetAllowDrag(false);
    Mouse(QEvent::MouseButtonPress, start, Qt::LeftButton);
    EXPECT_EQ(map.GetDragState(), COSMCtrl::DragState::None);

    // Switching tile requests back on asks at once.
    cache.ClearDownloads();
    map.SetTileRequestsEnabled(false);
    EXPECT_EQ(cache.QueuedDownloads(), 0u);
    map.SetTileRequestsEnabled(true);
    EXPECT_EQ(cache.QueuedDownloads(), 1u);
}

TEST_F(MapControlTest, TheLayoutWrapsColumnsAroundTheDateLine)
{
    map.TileCache()->StopWorker();
    map.SetDoNotSortTiles(true);
    auto firstRow = [&] {
        map.RequestTiles();
        std::vector<int> columns;
        for (const COSMCtrlDownloadTileItem& item : map.LayoutItems()) {
            if (item.y == map.LayoutItems()[0].y) {
                columns.push_back(item.x);
            }
        }
        return columns;
    };
    map.SetCenterAndZoom(3.0, 0.0, COSMCtrlPosition(179.9, 0.0));
    EXPECT_EQ(firstRow(), (std::vector<int>{3, 4, 5, 6, 7, 0, 1, 2, 3}));
    map.SetCenterAndZoom(3.0, 0.0, COSMCtrlPosition(-179.9, 0.0));
    EXPECT_EQ(firstRow(), (std::vector<int>{6, 7, 0, 1, 2, 3, 4}));
    map.SetCenterAndZoom(0.0, 0.0, COSMCtrlPosition(0.0, 0.0));
    for (int column : firstRow()) {
        EXPECT_EQ(column, 0);
    }
}

TEST_F(MapControlTest, ThePointUnderARotatedDrawingIsTheTileDrawnThere)
{
    ASSERT_TRUE(map.SetCenterAndZoom(4.0, 30.0, COSMCtrlPosition(10.0, 20.0)));
    const QImage image = GrabLoaded();
    int checked = 0;
    for (int y = 100; y < 700; y += 37) {
        for (int x = 60; x < 980; x += 41) {
            const QRgb c = image.pixel(x, y);
            // Only pixels of exactly one tile's colour (40 z, 7 x, 13 y); edges blend.
            if (qRed(c) != 160 || qGreen(c) % 7 != 0 || qBlue(c) % 13 != 0) {
                continue;
            }
            const std::optional<COSMCtrlPosition> p = map.PositionFromPoint(QPoint(x, y));
            ASSERT_TRUE(p);
            const QPointF tile = COSMCtrlProjection::TileFromPosition(*p, 4);
            // Tile colours are unique only when the tile's neighbours differ: step well inside.
            EXPECT_EQ(int(std::floor(tile.x())), qGreen(c) / 7) << x << "," << y;
            EXPECT_EQ(int(std::floor(tile.y())), qBlue(c) / 13) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 150);
}

TEST_F(MapControlTest, AFailedInsertShowsOneBoxPerControl)
{
    map.SetCenterAndZoom(2.0, 0.0, COSMCtrlPosition(0.0, 0.0));
    MapTestFiles::Exec(files.Cache(),
                       "CREATE TRIGGER refuse BEFORE INSERT ON Tiles BEGIN SELECT RAISE(ABORT, 'read-only copy'); END;");
    for (int i = 0; i < 100 && server.Requests().size() < 3; ++i) {
        Grab();
        map.TileCache()->WaitForDownloads(2000);
    }
    ASSERT_GE(server.Requests().size(), 3);
    QCoreApplication::processEvents();
    const QList<QMessageBox*> boxes = map.findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->text(), QStringLiteral("SQLite Image Insert Error"));
    EXPECT_FALSE(map.TileCache()->FindCachedTile(2, 1, 1).has_value());
}

TEST_F(MapControlTest, ZoomSliderAndDrawnZoomBarSetTheZoom)
{
    QSlider* slider = map.ZoomSlider();
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->geometry(), QRect(15, 69, 20, 246));
    EXPECT_EQ(slider->value(), 150);
    map.SetZoom(5.0);
    EXPECT_EQ(slider->value(), 130);
    slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(map.GetZoom(), 6.0);
    EXPECT_EQ(slider->value(), 120);
    slider->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(map.GetZoom(), 0.0);
    slider->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(map.GetZoom(), 18.0);
    slider->triggerAction(QAbstractSlider::SliderSingleStepSub);  // already at the top
    EXPECT_EQ(map.GetZoom(), 18.0);
    EXPECT_EQ(slider->value(), 0);

    map.SetDrawZoomBarAsSlider(false);
    EXPECT_EQ(map.ZoomSlider(), nullptr);
    map.SetZoom(4.0);
    map.TileCache()->StopWorker();
    map.TileCache()->QueueDownload(4, 1, 1);
    QTest::mouseClick(&map, Qt::LeftButton, Qt::NoModifier, map.ZoomInRect().center());
    EXPECT_EQ(map.GetZoom(), 5.0);
    EXPECT_EQ(map.TileCache()->QueuedDownloads(), 0u);
    QTest::mouseClick(&map, Qt::LeftButton, Qt::NoModifier, map.ZoomOutRect().center());
    EXPECT_EQ(map.GetZoom(), 4.0);
    QTest::mouseClick(&map, Qt::LeftButton, Qt::NoModifier,
                      QPoint(map.ZoomBarRect().center().x(), COSMCtrlZoomBar::LevelY(map.ZoomBarRect(), 11)));
    EXPECT_EQ(map.GetZoom(), 11.0);

    map.SetDrawZoomBar(false);
    map.SetDrawZoomBarAsSlider(true);
    EXPECT_EQ(map.ZoomSlider(), nullptr);
    map.SetDrawZoomBar(true);
    EXPECT_NE(map.ZoomSlider(), nullptr);
}

TEST_F(MapControlTest, TheAttributionLinkSitsInItsCornerAndOpensItsLinks)
{
    QLabel* link = map.AttributionLink();
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains(QStringLiteral("\u00a9 OpenStreetMap contributors</a>")));
    EXPECT_TRUE(link->text().contains(QStringLiteral(">License</a>")));
    EXPECT_EQ(link->geometry().right() + 1, kWidth - 15);
    EXPECT_EQ(link->geometry().bottom() + 1, kHeight - 15);
    map.show();
    map.resize(800, 600);
    EXPECT_EQ(link->geometry().bottomRight() + QPoint(1, 1), QPoint(800 - 15, 600 - 15));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
    emit link->linkActivated(QStringLiteral("https://www.openstreetmap.org/copyright"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.opened, QStringList{QStringLiteral("https://www.openstreetmap.org/copyright")});

    map.SetShowAttribution(false);
    EXPECT_EQ(map.AttributionLink(), nullptr);
}

} // namespace

#include "MapControlTest.moc"
