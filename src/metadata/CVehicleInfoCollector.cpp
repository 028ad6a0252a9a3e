#include "metadata/CVehicleInfoCollector.h"

#include "metadata/MetadataPanelText.h"
#include "metadata/VehicleInfoLayout.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

CVehicleInfoCollector::CVehicleInfoCollector(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::number(kFormId));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::AlternateBase})
        palette.setColor(role, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        palette.setColor(role, Qt::white);
    setPalette(palette);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QString::number(kListId));
    list_->setRootIsDecorated(false);
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Metadata Name"), QStringLiteral("Value")});
    list_->header()->setStretchLastSection(false);
    list_->setPalette(palette);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    const auto [name, value] = VehicleInfoLayout::InitialColumns(list_->viewport()->width());
    list_->setColumnWidth(0, name);
    list_->setColumnWidth(1, value);
}

void CVehicleInfoCollector::ShowSample(const MetadataSample& sample)
{
    list_->clear();
    for (const auto& [label, value] : MetadataPanelText::Pairs(sample))
        list_->addTopLevelItem(new QTreeWidgetItem({label, value}));
}

void CVehicleInfoCollector::Clear()
{
    list_->clear();
}

void CVehicleInfoCollector::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const auto [name, value] = VehicleInfoLayout::Columns(event->size().width());
    list_->setColumnWidth(0, name);
    list_->setColumnWidth(1, value);
}
