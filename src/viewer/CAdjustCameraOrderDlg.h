#pragma once

#include "viewer/CameraOrderList.h"

#include <QDialog>
#include <optional>

class QListWidget;

// "Adjust Camera Order": the players as a list, moved up and down with wrap-around, reset to the
// given order, and on OK returned in the order shown.
class CAdjustCameraOrderDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kListId = 1105;
    static constexpr int kUpId = 3;
    static constexpr int kDownId = 4;
    static constexpr int kResetId = 6;

    CAdjustCameraOrderDlg(const std::vector<CVideoPlayer*>& players, QWidget* parent = nullptr);

    // Modal; the new order on OK, nothing on Cancel.
    static std::optional<std::vector<CVideoPlayer*>> Run(const std::vector<CVideoPlayer*>& players, QWidget* parent);

    CameraOrderList& Order() { return order_; }
    QListWidget* List() const { return list_; }
    void ButtonUp();
    void ButtonDown();
    void ResetOrder();

private:
    void LoadCameras();

    CameraOrderList order_;
    QListWidget* list_ = nullptr;
};
