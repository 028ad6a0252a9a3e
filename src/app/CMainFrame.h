#pragma once

#include <QMainWindow>
#include <QHash>

class QAction;
class QDockWidget;
class QLabel;
class CPlomeraDoc;
class CPlomeraView;
class CBookmarkCollector;
class CTimelineControls;
class CVehicleInfo;
class CVideoFileSelector;
class Video;

// The main frame: menu bar, toolbar, status bar with two panes, the navigator docked on the left
// and the main view in the middle.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CPlomeraDoc* document, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds bars and panes; false when one of them cannot be made.
    bool Create();

    CPlomeraView* View() const { return view_; }
    CVideoFileSelector* Navigator() const { return navigator_; }
    QDockWidget* NavigatorPane() const { return navigatorPane_; }
    // The bookmark pane, below the file tree in the navigator's pane.
    CBookmarkCollector* BookmarkPane() const { return bookmarkPane_; }
    QAction* Command(int id) const { return commands_.value(id); }

    // Operations the viewer reaches through the frame.
    void SetFullScreenMode(bool on);
    void SetStatusPane1(const QString& text);
    QString StatusPane1() const;
    void ShowMetadataPane(bool show);
    // The metadata panes (null unless the developer option made them).
    CTimelineControls* MetadataPane() const { return metadataPane_; }
    CVehicleInfo* VehicleInfoPane() const { return vehicleInfoPane_; }
    void UpdateNavigatorOnOffStatus(const std::vector<Video*>& videos, bool shown);

    // Visual styles 205-219; the choice is kept in ApplicationLook.
    void OnApplicationLook(int id);
    int ApplicationLook() const { return look_; }
    // Enabling and check marks of every command, from the view's flags.
    void UpdateCommandUI();

    // Three quarters of the primary screen, the smallest the frame may be.
    static QSize MinimumTrackingSize(const QSize& screen);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QAction* AddCommand(int id, const QString& text, QMenu* menu = nullptr);
    void CreateMenusAndToolbar();

    CPlomeraDoc* document_;
    CPlomeraView* view_ = nullptr;
    CVideoFileSelector* navigator_ = nullptr;
    CBookmarkCollector* bookmarkPane_ = nullptr;
    QDockWidget* navigatorPane_ = nullptr;
    CTimelineControls* metadataPane_ = nullptr;
    CVehicleInfo* vehicleInfoPane_ = nullptr;
    QLabel* statusPane1_ = nullptr;
    QLabel* statusPane2_ = nullptr;
    QHash<int, QAction*> commands_;
    int look_ = 210;
    int metadataPaneShown_ = 1;
    bool maximisedBeforeFullScreen_ = false;
    QRect geometryBeforeFullScreen_;
};
