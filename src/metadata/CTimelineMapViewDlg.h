#pragma once

#include "evidence/MetadataSample.h"
#include "map/COSMCtrlIcon.h"

#include <QDialog>
#include <QHash>

class COSMCtrl;
class QLabel;

// The map view (557): the vehicle's track on the map control beside a panel of the latest
// sample. Modeless; the viewer feeds it one sample at a time and clears the track when it closes
// its files. Updates never keep the keyboard focus from the main window.
class CTimelineMapViewDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 557;
    static constexpr int kMapPlaceholderId = 1044;
    static constexpr int kMapWidthUnits = 476;
    static constexpr int kMapHeightUnits = 404;
    static constexpr int kHeaderId = 1089;
    static constexpr double kTrackZoom = 16.0;

    explicit CTimelineMapViewDlg(QWidget* parent = nullptr);
    ~CTimelineMapViewDlg() override;

    void SetDeviceName(const QString& device);
    void UpdateVehicleInfo(const MetadataSample& sample);
    void AddTrackPoint(double longitude, double latitude);
    // Forgets the track: markers and lines go, and the next point starts a new one.
    void ClearTrack();

    COSMCtrl* Map() const { return map_; }
    // The panel's value control by its id (1090 latitude ... 1069 brake), null when unknown.
    QLabel* Value(int id) const { return values_.value(id, nullptr); }
    bool IsFirstPoint() const { return firstPoint_; }

    static QSize FromDialogUnits(int widthUnits, int heightUnits, const QFont& font);

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* MakePanel();
    void FillPanel(const MetadataSample& sample);

    COSMCtrl* map_ = nullptr;
    QHash<int, QLabel*> values_;
    COSMCtrlIcon pin_ = COSMCtrlIcon::Pin();
    double previousLongitude_ = 0.0;
    double previousLatitude_ = 0.0;
    bool firstPoint_ = true;
    bool active_ = false;
    int markerIcon_ = -1;
};
