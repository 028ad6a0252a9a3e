#include "metadata/CTimelineMapViewDlg.h"

#include "logging/HandlerGuard.h"
#include "map/COSMCtrl.h"
#include "map/COSMCtrlMarker.h"
#include "map/COSMCtrlPolyline.h"
#include "map/COSMCtrlTileCache.h"
#include "metadata/MetadataPanelText.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>


namespace {

const char* const kUpdateFailure = "OnDisplayMetadata in Map Dlg Failed : %s";

const QString kAverageSample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");

const int kInputIds[MetadataSample::kInputs] = {7023, 1110, 1023, 1111, 1025, 1026, 1027,
                                                1028, 1029, 1117, 1118, 1119, 1121, 1122};

QLabel* SectionTitle(const QString& text, int id, QWidget* parent)
{
    auto* title = new QLabel(text, parent);
    title->setObjectName(QString::number(id));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    title->setPalette(palette);
    return title;
}

QFrame* Separator(int id, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::number(id));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

QSize CTimelineMapViewDlg::FromDialogUnits(int widthUnits, int heightUnits, const QFont& font)
{
    const QFontMetrics metrics(font);
    const int average = (metrics.horizontalAdvance(kAverageSample) / 26 + 1) / 2;
    return {widthUnits * average / 4, heightUnits * metrics.height() / 8};
}

CTimelineMapViewDlg::CTimelineMapViewDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(kDialogId));
    setModal(false);
    setWindowTitle(QStringLiteral("Map - "));

    auto* layout = new QHBoxLayout(this);
    auto* placeholder = new QWidget(this);
    placeholder->setObjectName(QString::number(kMapPlaceholderId));
    const QSize mapSize = FromDialogUnits(kMapWidthUnits, kMapHeightUnits, font());
    placeholder->setFixedSize(mapSize);
    layout->addWidget(placeholder);
    layout->addWidget(MakePanel(), 0, Qt::AlignTop);

    map_ = new COSMCtrl;
    // Create logs why the cache could not be opened; the map then shows no tiles.
    map_->Create(QStringLiteral("Map"), Qt::WindowFlags(), QRect(QPoint(0, 0), mapSize), placeholder,
                 kMapPlaceholderId, COSMCtrlTileCache::DefaultCachePath());
    markerIcon_ = map_->AddIcon(&pin_);
    // Answers within the check's own time limit; without it the tiles show "Internet Not Available".
    if (map_->TileCache() != nullptr)
        map_->TileCache()->CheckInternetAvailable();
}

CTimelineMapViewDlg::~CTimelineMapViewDlg()
{
    // The control keeps a pointer to the pin, which is a member: let it go first.
    delete map_;
}

QWidget* CTimelineMapViewDlg::MakePanel()
{
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    int row = 0;

    auto* header = new QLabel(QStringLiteral("Vehicle Info"), panel);
    header->setObjectName(QString::number(kHeaderId));
    header->setAutoFillBackground(true);
    header->setAlignment(Qt::AlignCenter);
    QPalette palette = header->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 255));
    palette.setColor(QPalette::WindowText, Qt::white);
    header->setPalette(palette);
    grid->addWidget(header, row++, 0, 1, 2);

    auto addPair = [&](const QString& label, int id) {
        grid->addWidget(new QLabel(label, panel), row, 0);
        auto* value = new QLabel(panel);
        value->setObjectName(QString::number(id));
        values_.insert(id, value);
        grid->addWidget(value, row++, 1);
    };

    grid->addWidget(SectionTitle(QStringLiteral("GPS Data"), 1038, panel), row++, 0, 1, 2);
    grid->addWidget(Separator(1072, panel), row++, 0, 1, 2);
    addPair(QStringLiteral("Latitude"), 1090);
    addPair(QStringLiteral("Longitude"), 1091);
    addPair(QStringLiteral("Direction"), 1092);
    addPair(QStringLiteral("Speed"), 1093);
    addPair(QStringLiteral("Acceleration"), 1094);

    grid->addWidget(SectionTitle(QStringLiteral("Alarm Info"), 1073, panel), row++, 0, 1, 2);
    grid->addWidget(Separator(1074, panel), row++, 0, 1, 2);
    for (int i = 1; i <= MetadataSample::kInputs; ++i)
        addPair(MetadataPanelText::InputLabel(i), kInputIds[i - 1]);

    grid->addWidget(SectionTitle(QStringLiteral("J1939 Info"), 1075, panel), row++, 0, 1, 2);
    grid->addWidget(Separator(1077, panel), row++, 0, 1, 2);
    addPair(QStringLiteral("Accelerator Pressure"), 1068);
    addPair(QStringLiteral("Brake Pressure"), 1069);
    return panel;
}

void CTimelineMapViewDlg::SetDeviceName(const QString& device)
{
    setWindowTitle(QStringLiteral("Map - ") + device);
}

void CTimelineMapViewDlg::UpdateVehicleInfo(const MetadataSample& sample)
{
    HandlerGuard::Run(HandlerGuard::Text(kUpdateFailure), [&] {
        AddTrackPoint(sample.longitude, sample.latitude);
        FillPanel(sample);
        // The main window keeps the keys while the map is only being fed.
        if (active_ || QApplication::activeWindow() == this)
            map_->setFocus();
        else if (parentWidget() != nullptr)
            parentWidget()->setFocus();
    });
}

void CTimelineMapViewDlg::FillPanel(const MetadataSample& sample)
{
    values_.value(1090)->setText(MetadataPanelText::Coordinate(sample.latitude, sample.latitudeHemisphere));
    values_.value(1091)->setText(MetadataPanelText::Coordinate(sample.longitude, sample.longitudeHemisphere));
    values_.value(1092)->setText(MetadataPanelText::Direction(sample.direction));
    values_.value(1093)->setText(MetadataPanelText::Speed(sample.speedMph));
    values_.value(1094)->setText(
        MetadataPanelText::Acceleration(sample.accelerationX, sample.accelerationY, sample.accelerationZ));
    for (int i = 1; i <= MetadataSample::kInputs; ++i)
        values_.value(kInputIds[i - 1])->setText(MetadataPanelText::Input(sample, i));
    values_.value(1068)->setText(MetadataPanelText::AcceleratorPressure(sample.acceleratorPressure));
    values_.value(1069)->setText(MetadataPanelText::BrakePressure(sample.brakePressure));
}

void CTimelineMapViewDlg::AddTrackPoint(double longitude, double latitude)
{
    map_->SetZoom(kTrackZoom);
    std::vector<COSMCtrlMarker>& markers = map_->Markers();
    if (markers.size() >= 2)
        markers.pop_back();
    const COSMCtrlPosition here(longitude, latitude);
    map_->AddMarker(COSMCtrlMarker(here, markerIcon_));
    if (!firstPoint_) {
        COSMCtrlPolyline line;
        line.nodes.emplace_back(COSMCtrlPosition(previousLongitude_, previousLatitude_));
        line.nodes.emplace_back(here);
        line.lineWidth = 5.0;
        line.dashStyle = COSMCtrlPolyline::kDashDot;
        line.dashOffset = 3.0;
        line.dashCap = COSMCtrlPolyline::kCapRound;
        line.startCap = COSMCtrlPolyline::kCapTriangle;
        line.endCap = COSMCtrlPolyline::kCapSquare;
        line.lineJoin = COSMCtrlPolyline::kJoinBevel;
        line.minZoom = 3.0;
        map_->AddPolyline(line);
    }
    firstPoint_ = false;
    previousLongitude_ = longitude;
    previousLatitude_ = latitude;
    map_->SetCenter(here);
    map_->update();
}

void CTimelineMapViewDlg::ClearTrack()
{
    map_->RemoveAllMarkers();
    map_->RemoveAllPolylines();
    firstPoint_ = true;
}

void CTimelineMapViewDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange)
        active_ = isActiveWindow();
    QDialog::changeEvent(event);
}
