#pragma once

#include <QSplitter>

// The navigator pane's two rows (file tree above, bookmarks below): each row gets half the
// height, at least 25 pixels, at every resize, and a one-pixel frame in the button-shadow colour.
class CPaneSplitter : public QSplitter {
    Q_OBJECT
public:
    explicit CPaneSplitter(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
