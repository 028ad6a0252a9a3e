#pragma once

#include "evidence/MetadataSample.h"

#include <QWidget>

class QTreeWidget;

// The sample list of the Vehicle Info pane (569): one report list (7087) of "Metadata Name" and
// "Value", white on black, filled with the same pairs the map view's panel shows.
class CVehicleInfoCollector : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFormId = 569;
    static constexpr int kListId = 7087;

    explicit CVehicleInfoCollector(QWidget* parent = nullptr);

    void ShowSample(const MetadataSample& sample);
    void Clear();
    QTreeWidget* List() const { return list_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTreeWidget* list_ = nullptr;
};
