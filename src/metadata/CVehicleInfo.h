#pragma once

#include <QDockWidget>

class CBookmarkCollector;
class CVehicleInfoCollector;
class QSplitter;

// The Vehicle Info pane (129): the sample list over a bookmark pane of its own, 60 % to 40 %,
// re-split on every resize so the user's drag never outlives the next resize. Each row is framed
// one pixel outside it in the button-shadow colour.
class CVehicleInfo : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kCaptionString = 129;
    static constexpr int kHandleWidth = 4;

    // The bookmark pane is taken over (made here when null).
    explicit CVehicleInfo(QWidget* parent = nullptr, CBookmarkCollector* bookmarks = nullptr);

    CVehicleInfoCollector* Collector() const { return collector_; }
    CBookmarkCollector* Bookmarks() const { return bookmarks_; }
    QSplitter* Splitter() const { return splitter_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyProportions();
    void PaintFrames();

    QSplitter* splitter_ = nullptr;
    CVehicleInfoCollector* collector_ = nullptr;
    CBookmarkCollector* bookmarks_ = nullptr;
};
