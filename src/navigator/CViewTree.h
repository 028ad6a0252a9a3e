#pragma once

#include <QTreeWidget>
#include <functional>

class QDrag;

// The navigator's tree control (7031): white on black, lines and buttons, selection always shown.
// It never moves its own items: a drag of an item goes out to the tile grid, and dropped files
// are handed on, never inserted. A right click with the mouse asks for the item menu; the
// keyboard's menu key gets the default handling.
class CViewTree : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 7031;
    static constexpr const char* kDragMimeType = "application/x-plomera-navigator-item";

    explicit CViewTree(QWidget* parent = nullptr);

    // Runs a drag to its end (default: QDrag::exec); tests end it at once.
    void SetDragRunner(std::function<Qt::DropAction(QDrag*)> runner) { dragRunner_ = std::move(runner); }
    // Drags the current item to wherever the user lets it go (what a mouse drag starts).
    void DragCurrentItem();

signals:
    // The item being dragged, before the drag runs; then the drag's end, wherever it ended.
    void dragBegun(QTreeWidgetItem* item);
    void dragEnded();
    void filesDropped(const QStringList& paths);
    void contextMenuAt(const QPoint& globalPos);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::function<Qt::DropAction(QDrag*)> dragRunner_;
};
