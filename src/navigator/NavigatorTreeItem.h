#pragma once

#include "events/NavigatorItem.h"

#include <QTreeWidgetItem>

// A file or camera item of the navigator tree with the record it carries; the record goes with
// the item. The root is a plain QTreeWidgetItem without a record.
class NavigatorTreeItem : public QTreeWidgetItem {
public:
    NavigatorTreeItem(QTreeWidgetItem* parent, const QString& text, const NavigatorItem& record)
        : QTreeWidgetItem(parent, {text}), record(record)
    {
    }

    NavigatorItem record;
    // A camera item's channel, kept apart from its Video so that finding the item never reads a
    // Video the viewer has let go.
    int channel = -1;
};
